#include "BasePin.h"

#include <new>

#include "BaseFilter.h"
#include "Enumerators.h"
#include "MediaType.h"

namespace {

// A partial media type (GUID_NULL fields match anything) that mt satisfies.
bool MatchesPartial(const AM_MEDIA_TYPE* pPartial, const AM_MEDIA_TYPE& mt) {
    if (pPartial == NULL) {
        return true;
    }
    if (!IsEqualGUID(pPartial->majortype, GUID_NULL) && !IsEqualGUID(pPartial->majortype, mt.majortype)) {
        return false;
    }
    if (!IsEqualGUID(pPartial->subtype, GUID_NULL) && !IsEqualGUID(pPartial->subtype, mt.subtype)) {
        return false;
    }
    return IsEqualGUID(pPartial->formattype, GUID_NULL) || IsEqualGUID(pPartial->formattype, mt.formattype);
}

}  // namespace

CBasePin::CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* /*phr*/, LPCWSTR pName,
                   PIN_DIRECTION dir)
    : CUnknown(pObjectName, NULL),
      m_pName(pName),
      m_Connected(NULL),
      m_dir(dir),
      m_pLock(pLock),
      m_pFilter(pFilter),
      m_mt() {}

CBasePin::~CBasePin() {
    if (m_Connected != NULL) {
        m_Connected->Release();
    }
    FreeMediaType(m_mt);
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IPin)) {
        return GetInterface(static_cast<IPin*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef() {
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease() {
    return m_pFilter->Release();
}

BOOL CBasePin::IsStopped() {
    return m_pFilter->IsStopped();
}

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    CheckPointer(pReceivePin, E_POINTER);
    CAutoLock lock(m_pLock);
    if (m_Connected != NULL) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    return AgreeMediaType(pReceivePin, pmt);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    // The pin offers only its own types, so they need no further check.
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int i = 0;; ++i) {
        AM_MEDIA_TYPE mt;
        InitMediaType(&mt);
        const HRESULT hr = GetMediaType(i, &mt);
        if (hr != S_OK) {
            FreeMediaType(mt);
            return FAILED(hr) ? hr : hrFailure;
        }
        if (MatchesPartial(pmt, mt)) {
            hrFailure = AttemptConnection(pReceivePin, &mt);
            if (SUCCEEDED(hrFailure)) {
                FreeMediaType(mt);
                return S_OK;
            }
        }
        FreeMediaType(mt);
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    m_Connected = pReceivePin;
    m_Connected->AddRef();
    HRESULT hr = CopyMediaType(&m_mt, pmt);
    if (SUCCEEDED(hr) && FAILED(pReceivePin->ReceiveConnection(static_cast<IPin*>(this), pmt))) {
        hr = VFW_E_NO_ACCEPTABLE_TYPES;
    } else if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pReceivePin);
        if (FAILED(hr)) {
            pReceivePin->Disconnect();
        }
    }
    if (FAILED(hr)) {
        BreakConnect();
        m_Connected->Release();
        m_Connected = NULL;
        FreeMediaType(m_mt);
    }
    return hr;
}

HRESULT CBasePin::CompleteConnect(IPin* /*pReceivePin*/) {
    return S_OK;
}

HRESULT CBasePin::BreakConnect() {
    return S_OK;
}

STDMETHODIMP CBasePin::Disconnect() {
    CAutoLock lock(m_pLock);
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    if (m_Connected == NULL) {
        return S_FALSE;
    }
    BreakConnect();
    m_Connected->Release();
    m_Connected = NULL;
    FreeMediaType(m_mt);
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin) {
    CheckPointer(pPin, E_POINTER);
    CAutoLock lock(m_pLock);
    *pPin = m_Connected;
    if (m_Connected == NULL) {
        return VFW_E_NOT_CONNECTED;
    }
    m_Connected->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    if (m_Connected == NULL) {
        *pmt = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo) {
    CheckPointer(pInfo, E_POINTER);
    pInfo->pFilter = static_cast<IBaseFilter*>(m_pFilter);
    pInfo->pFilter->AddRef();
    pInfo->dir = m_dir;
    lstrcpynW(pInfo->achName, m_pName, MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir) {
    CheckPointer(pPinDir, E_POINTER);
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* Id) {
    CheckPointer(Id, E_POINTER);
    const int cb = (lstrlenW(m_pName) + 1) * static_cast<int>(sizeof(WCHAR));
    *Id = static_cast<LPWSTR>(CoTaskMemAlloc(cb));
    if (*Id == NULL) {
        return E_OUTOFMEMORY;
    }
    CopyMemory(*Id, m_pName, cb);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
    return CheckMediaType(pmt) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
    CheckPointer(ppEnum, E_POINTER);
    return GetNewInterface(new (std::nothrow) CEnumMediaTypes(this, NULL), ppEnum);
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin** /*apPin*/, ULONG* /*nPin*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME /*tStart*/, REFERENCE_TIME /*tStop*/, double /*dRate*/) {
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int iPosition, AM_MEDIA_TYPE* /*pMediaType*/) {
    return iPosition < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::Active() {
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME /*tStart*/) {
    return S_OK;
}

HRESULT CBasePin::Inactive() {
    return S_OK;
}

CBaseOutputPin::CBaseOutputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                               LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_OUTPUT), m_pAllocator(NULL), m_pInputPin(NULL) {}

CBaseOutputPin::~CBaseOutputPin() {
    BreakConnect();
}

STDMETHODIMP CBaseOutputPin::ReceiveConnection(IPin* /*pConnector*/, const AM_MEDIA_TYPE* /*pmt*/) {
    return VFW_E_INVALID_DIRECTION;
}

STDMETHODIMP CBaseOutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::BeginFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::EndFlush() {
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin* pReceivePin) {
    HRESULT hr = pReceivePin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_pInputPin));
    if (FAILED(hr)) {
        m_pInputPin = NULL;
        return hr;
    }
    hr = DecideAllocator(m_pInputPin, &m_pAllocator);
    if (FAILED(hr)) {
        m_pAllocator = NULL;
        m_pInputPin->Release();
        m_pInputPin = NULL;
    }
    return hr;
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (m_pAllocator != NULL) {
        m_pAllocator->Release();
        m_pAllocator = NULL;
    }
    if (m_pInputPin != NULL) {
        m_pInputPin->Release();
        m_pInputPin = NULL;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::Active() {
    return m_pAllocator != NULL ? m_pAllocator->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT CBaseOutputPin::Inactive() {
    return m_pAllocator != NULL ? m_pAllocator->Decommit() : VFW_E_NO_ALLOCATOR;
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample) {
    return m_pInputPin != NULL ? m_pInputPin->Receive(pSample) : VFW_E_NOT_CONNECTED;
}
