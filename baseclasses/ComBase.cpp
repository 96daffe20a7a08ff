#include "ComBase.h"

volatile LONG CBaseObject::m_cObjects = 0;

CBaseObject::CBaseObject(LPCTSTR pName) : m_pName(pName) {
    InterlockedIncrement(&m_cObjects);
}

CBaseObject::~CBaseObject() {
    InterlockedDecrement(&m_cObjects);
}

LONG CBaseObject::ObjectsActive() {
    return InterlockedCompareExchange(&m_cObjects, 0, 0);
}

CUnknown::CUnknown(LPCTSTR pName, LPUNKNOWN pUnk)
    : CBaseObject(pName),
      m_cRef(0),
      m_pUnknown(pUnk != NULL ? pUnk : reinterpret_cast<LPUNKNOWN>(static_cast<PNDUNKNOWN>(this))) {}

CUnknown::CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* /*phr*/) : CUnknown(pName, pUnk) {}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IUnknown)) {
        return GetInterface(reinterpret_cast<LPUNKNOWN>(static_cast<PNDUNKNOWN>(this)), ppv);
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease() {
    const LONG remaining = InterlockedDecrement(&m_cRef);
    if (remaining == 0) {
        // A destructor that hands the object out and releases it again must
        // not bring the count back to zero and delete twice.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return remaining > 0 ? static_cast<ULONG>(remaining) : 1;
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}
