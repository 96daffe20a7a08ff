#include "FakeOuter.h"

#include <cstring>

#include "ZKVInterface.h"

void FakeOuter::ReleaseInner() {
    if (inner != nullptr) {
        inner->Release();
        inner = nullptr;
    }
}

STDMETHODIMP FakeOuter::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = AsUnknown();
    } else if (IsEqualIID(riid, IID_IKsPropertySet) && m_offerPropertySet) {
        *ppv = static_cast<IKsPropertySet*>(this);
    } else if (IsEqualIID(riid, IID_IZKVInterface) && inner != nullptr) {
        return inner->QueryInterface(riid, ppv);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeOuter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) FakeOuter::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&m_cRef));
}

RecordedRequest FakeOuter::Record(bool isGet, REFGUID set, DWORD id, LPVOID instance,
                                  DWORD cbInstance, LPVOID data, DWORD cbData) {
    RecordedRequest request;
    request.isGet = isGet;
    request.set = set;
    request.id = id;
    request.instance = instance;
    request.cbInstance = cbInstance;
    request.data = data;
    request.cbData = cbData;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    request.bytes.assign(bytes, bytes + cbData);
    return request;
}

STDMETHODIMP FakeOuter::Set(REFGUID set, DWORD id, LPVOID instance, DWORD cbInstance, LPVOID data,
                            DWORD cbData) {
    requests.push_back(Record(false, set, id, instance, cbInstance, data, cbData));
    return result;
}

STDMETHODIMP FakeOuter::Get(REFGUID set, DWORD id, LPVOID instance, DWORD cbInstance, LPVOID data,
                            DWORD cbData, DWORD* pcbReturned) {
    RecordedRequest request = Record(true, set, id, instance, cbInstance, data, cbData);
    request.hasReturnedCount = pcbReturned != nullptr;
    request.returnedCountOnEntry = pcbReturned != nullptr ? *pcbReturned : 0;
    requests.push_back(request);
    if (answerOffset >= 0 && static_cast<DWORD>(answerOffset) + sizeof(DWORD) <= cbData) {
        std::memcpy(static_cast<BYTE*>(data) + answerOffset, &answerValue, sizeof(answerValue));
    }
    if (pcbReturned != nullptr) {
        *pcbReturned = cbData;
    }
    return result;
}

STDMETHODIMP FakeOuter::QuerySupported(REFGUID, DWORD, DWORD* support) {
    if (support != nullptr) {
        *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    }
    return S_OK;
}
