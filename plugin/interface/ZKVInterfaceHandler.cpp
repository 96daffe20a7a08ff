#include "ZKVInterfaceHandler.h"

#include <new>

CUnknown* WINAPI CZKVInterface::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
    CUnknown* pObject = new (std::nothrow) CZKVInterface(pUnk, phr);
    if (pObject == NULL) {
        *phr = E_OUTOFMEMORY;
    }
    return pObject;
}

CZKVInterface::CZKVInterface(LPUNKNOWN pUnk, HRESULT* phr)
    : CUnknown(TEXT("ZKV KSProxy Extension Sample Interface Handler"), pUnk),
      m_pKsPropertySet(NULL) {
    // Without an outer object there is no filter to talk to; registration
    // creates every class that way and takes this answer as "nothing to set
    // up".
    if (pUnk == NULL) {
        *phr = VFW_E_NEED_OWNER;
        return;
    }
    HRESULT hr = pUnk->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&m_pKsPropertySet));
    if (FAILED(hr)) {
        m_pKsPropertySet = NULL;
        *phr = E_OUTOFMEMORY;
        return;
    }
    // The reference went to the outer object; keeping it would keep the
    // filter alive through its own inner object.
    m_pKsPropertySet->Release();
    *phr = hr;
}

HRESULT STDMETHODCALLTYPE CZKVInterface::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IZKVInterface)) {
        return GetInterface(static_cast<IZKVInterface*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CZKVInterface::GetProperty(ULONG id, void* record, DWORD size) {
    DWORD returned = 0;
    return m_pKsPropertySet->Get(IID_IZKVInterface, id, record, size, record, size, &returned);
}

HRESULT CZKVInterface::SetProperty(ULONG id, void* record, DWORD size) {
    return m_pKsPropertySet->Set(IID_IZKVInterface, id, record, size, record, size);
}

// Records start zeroed: the header and reserved bytes carry nothing of the
// handler's, and a failed read hands back 0 rather than stale stack bytes.

HRESULT STDMETHODCALLTYPE CZKVInterface::GetRegister(ULONG address, ULONG* value) {
    RegisterRequest request = {};
    request.address = address;
    const HRESULT hr = GetProperty(ZKV_PROPERTY_REGISTER, &request, sizeof(request));
    *value = request.value;
    return hr;
}

HRESULT STDMETHODCALLTYPE CZKVInterface::SetRegister(ULONG address, ULONG value) {
    RegisterRequest request = {};
    request.address = address;
    request.value = value;
    return SetProperty(ZKV_PROPERTY_REGISTER, &request, sizeof(request));
}

HRESULT STDMETHODCALLTYPE CZKVInterface::GetFormat7(Format7Request* request) {
    return GetProperty(ZKV_PROPERTY_FORMAT7, request, sizeof(*request));
}

HRESULT STDMETHODCALLTYPE CZKVInterface::SetFormat7(ULONG mode, ULONG left, ULONG top, ULONG width,
                                                    ULONG height, ULONG speed, ULONG pixelFormat) {
    Format7Request request = {};
    request.left = left;
    request.top = top;
    request.width = width;
    request.height = height;
    request.mode = mode;
    request.speed = speed;
    request.pixelFormat = pixelFormat;
    return SetProperty(ZKV_PROPERTY_FORMAT7, &request, sizeof(request));
}

HRESULT STDMETHODCALLTYPE CZKVInterface::GetBufferCount(ULONG* count) {
    BufferCountRequest request = {};
    request.count = 0;
    const HRESULT hr = GetProperty(ZKV_PROPERTY_BUFFER_COUNT, &request, sizeof(request));
    *count = request.count;
    return hr;
}

HRESULT STDMETHODCALLTYPE CZKVInterface::SetBufferCount(ULONG count) {
    // The driver needs at least one buffer; 0 never reaches it.
    if (count == 0) {
        return static_cast<HRESULT>(-1);
    }
    BufferCountRequest request = {};
    request.count = count;
    return SetProperty(ZKV_PROPERTY_BUFFER_COUNT, &request, sizeof(request));
}
