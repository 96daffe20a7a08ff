#include "Enumerators.h"

#include <new>

#include "BaseFilter.h"
#include "BasePin.h"
#include "MediaType.h"

namespace {

// Next's arguments: an array is always needed, the count of fetched items
// only when more than one is asked for.
HRESULT CheckNextArguments(ULONG cItems, const void* pItems, ULONG* pcFetched) {
    CheckPointer(pItems, E_POINTER);
    if (pcFetched != NULL) {
        *pcFetched = 0;
    } else if (cItems > 1) {
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace

CEnumPins::CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins)
    : CUnknown(TEXT("Pin Enumerator"), NULL),
      m_pFilter(pFilter),
      m_Position(pEnumPins != NULL ? pEnumPins->m_Position : 0) {
    m_pFilter->AddRef();
}

CEnumPins::~CEnumPins() {
    m_pFilter->Release();
}

STDMETHODIMP CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IEnumPins)) {
        return GetInterface(static_cast<IEnumPins*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) {
    const HRESULT hr = CheckNextArguments(cPins, ppPins, pcFetched);
    if (FAILED(hr)) {
        return hr;
    }
    ULONG fetched = 0;
    while (fetched < cPins && m_Position < m_pFilter->GetPinCount()) {
        IPin* pPin = m_pFilter->GetPin(m_Position++);
        pPin->AddRef();
        ppPins[fetched++] = pPin;
    }
    if (pcFetched != NULL) {
        *pcFetched = fetched;
    }
    return fetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG cPins) {
    const ULONG left = static_cast<ULONG>(m_pFilter->GetPinCount() - m_Position);
    if (cPins > left) {
        m_Position = m_pFilter->GetPinCount();
        return S_FALSE;
    }
    m_Position += static_cast<int>(cPins);
    return S_OK;
}

STDMETHODIMP CEnumPins::Reset() {
    m_Position = 0;
    return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** ppEnum) {
    CheckPointer(ppEnum, E_POINTER);
    return GetNewInterface(new (std::nothrow) CEnumPins(m_pFilter, this), ppEnum);
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes)
    : CUnknown(TEXT("Media Type Enumerator"), NULL),
      m_pPin(pPin),
      m_Position(pEnumMediaTypes != NULL ? pEnumMediaTypes->m_Position : 0) {
    m_pPin->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() {
    m_pPin->Release();
}

STDMETHODIMP CEnumMediaTypes::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IEnumMediaTypes)) {
        return GetInterface(static_cast<IEnumMediaTypes*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) {
    HRESULT hr = CheckNextArguments(cMediaTypes, ppMediaTypes, pcFetched);
    if (FAILED(hr)) {
        return hr;
    }
    ULONG fetched = 0;
    while (fetched < cMediaTypes) {
        AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (pmt == NULL) {
            hr = E_OUTOFMEMORY;
            break;
        }
        InitMediaType(pmt);
        hr = m_pPin->GetMediaType(m_Position + static_cast<int>(fetched), pmt);
        if (hr != S_OK) {
            DeleteMediaType(pmt);
            break;
        }
        ppMediaTypes[fetched++] = pmt;
    }
    if (FAILED(hr)) {
        while (fetched > 0) {
            DeleteMediaType(ppMediaTypes[--fetched]);
            ppMediaTypes[fetched] = NULL;
        }
        return hr;
    }
    m_Position += static_cast<int>(fetched);
    if (pcFetched != NULL) {
        *pcFetched = fetched;
    }
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG cMediaTypes) {
    // The pin knows its types only by position: look at each one skipped.
    for (; cMediaTypes > 0; --cMediaTypes) {
        AM_MEDIA_TYPE mt;
        InitMediaType(&mt);
        const HRESULT hr = m_pPin->GetMediaType(m_Position, &mt);
        FreeMediaType(mt);
        if (hr != S_OK) {
            return S_FALSE;
        }
        ++m_Position;
    }
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Reset() {
    m_Position = 0;
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum) {
    CheckPointer(ppEnum, E_POINTER);
    return GetNewInterface(new (std::nothrow) CEnumMediaTypes(m_pPin, this), ppEnum);
}
