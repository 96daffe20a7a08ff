#include "BaseFilter.h"

#include <new>

#include "BasePin.h"
#include "Enumerators.h"

CBaseFilter::CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid)
    : CUnknown(pName, pUnk),
      m_State(State_Stopped),
      m_pClock(NULL),
      m_tStart(0),
      m_pLock(pLock),
      m_pGraph(NULL),
      m_clsid(clsid),
      m_pName(NULL) {}

CBaseFilter::~CBaseFilter() {
    if (m_pClock != NULL) {
        m_pClock->Release();
    }
    delete[] m_pName;
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IBaseFilter) || IsEqualIID(riid, IID_IMediaFilter) || IsEqualIID(riid, IID_IPersist)) {
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID) {
    CheckPointer(pClsID, E_POINTER);
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop() {
    {
        CAutoLock lock(m_pLock);
        if (m_State == State_Stopped) {
            return S_OK;
        }
        m_State = State_Stopped;
    }
    // Outside the lock: a pin waits for its streaming thread, which reads the
    // state under it.
    HRESULT hr = S_OK;
    for (int i = 0; i < GetPinCount(); ++i) {
        CBasePin* pPin = GetPin(i);
        if (pPin->IsConnected()) {
            const HRESULT hrPin = pPin->Inactive();
            if (FAILED(hrPin) && SUCCEEDED(hr)) {
                hr = hrPin;
            }
        }
    }
    return hr;
}

STDMETHODIMP CBaseFilter::Pause() {
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin->IsConnected()) {
                const HRESULT hr = pPin->Active();
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart) {
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) {
            return hr;
        }
    }
    m_tStart = tStart;
    if (m_State == State_Paused) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin->IsConnected()) {
                const HRESULT hr = pPin->Run(tStart);
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
    }
    m_State = State_Running;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD /*dwMSecs*/, FILTER_STATE* State) {
    CheckPointer(State, E_POINTER);
    *State = this->State();
    return S_OK;
}

FILTER_STATE CBaseFilter::State() {
    CAutoLock lock(m_pLock);
    return m_State;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* pClock) {
    CAutoLock lock(m_pLock);
    if (pClock != NULL) {
        pClock->AddRef();
    }
    if (m_pClock != NULL) {
        m_pClock->Release();
    }
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** pClock) {
    CheckPointer(pClock, E_POINTER);
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock != NULL) {
        m_pClock->AddRef();
    }
    return S_OK;
}

HRESULT CBaseFilter::StreamTime(REFERENCE_TIME* prtStream) {
    CheckPointer(prtStream, E_POINTER);
    IReferenceClock* pClock = NULL;
    REFERENCE_TIME tStart = 0;
    {
        CAutoLock lock(m_pLock);
        pClock = m_pClock;
        if (pClock != NULL) {
            pClock->AddRef();
        }
        tStart = m_tStart;
    }
    if (pClock == NULL) {
        return VFW_E_NO_CLOCK;
    }
    REFERENCE_TIME now = 0;
    const HRESULT hr = pClock->GetTime(&now);
    pClock->Release();
    if (FAILED(hr)) {
        return hr;
    }
    *prtStream = now - tStart;
    return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum) {
    CheckPointer(ppEnum, E_POINTER);
    return GetNewInterface(new (std::nothrow) CEnumPins(this, NULL), ppEnum);
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin) {
    CheckPointer(Id, E_POINTER);
    CheckPointer(ppPin, E_POINTER);
    for (int i = 0; i < GetPinCount(); ++i) {
        CBasePin* pPin = GetPin(i);
        if (lstrcmpW(pPin->Name(), Id) == 0) {
            return GetInterface(static_cast<IPin*>(pPin), reinterpret_cast<void**>(ppPin));
        }
    }
    *ppPin = NULL;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    CheckPointer(pInfo, E_POINTER);
    CAutoLock lock(m_pLock);
    pInfo->achName[0] = L'\0';
    if (m_pName != NULL) {
        lstrcpynW(pInfo->achName, m_pName, MAX_FILTER_NAME);
    }
    pInfo->pGraph = m_pGraph;
    if (m_pGraph != NULL) {
        m_pGraph->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    WCHAR* pCopy = NULL;
    if (pName != NULL) {
        const int cch = lstrlenW(pName) + 1;
        pCopy = new (std::nothrow) WCHAR[cch];
        if (pCopy == NULL) {
            return E_OUTOFMEMORY;
        }
        lstrcpynW(pCopy, pName, cch);
    }
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    delete[] m_pName;
    m_pName = pCopy;
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR* /*pVendorInfo*/) {
    return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
    // The sink is taken under the lock and told outside it, so that a graph
    // that calls back into the filter does not find it locked.
    IMediaEventSink* pSink = NULL;
    {
        CAutoLock lock(m_pLock);
        if (m_pGraph != NULL) {
            m_pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&pSink));
        }
    }
    if (pSink == NULL) {
        return E_NOTIMPL;
    }
    const HRESULT hr = pSink->Notify(EventCode, EventParam1, EventParam2);
    pSink->Release();
    return hr;
}
