#include "ClassFactory.h"

#include <new>

volatile LONG CClassFactory::m_cLocked = 0;

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate)
    : CBaseObject(TEXT("Class Factory")), m_cRef(0), m_pTemplate(pTemplate) {}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        return GetInterface(static_cast<IClassFactory*>(this), ppv);
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    const LONG remaining = InterlockedDecrement(&m_cRef);
    if (remaining == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(remaining);
}

STDMETHODIMP CClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    *ppv = NULL;
    // An aggregated object may only be asked for its non-delegating IUnknown.
    if (pUnkOuter != NULL && !IsEqualIID(riid, IID_IUnknown)) {
        return E_NOINTERFACE;
    }
    HRESULT hr = S_OK;
    CUnknown* pObject = m_pTemplate->CreateInstance(pUnkOuter, &hr);
    if (pObject == NULL) {
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        delete pObject;
        return hr;
    }
    // The reference taken here keeps the object alive during the query; an
    // object that lacks the interface destroys itself on the release.
    pObject->NonDelegatingAddRef();
    hr = pObject->NonDelegatingQueryInterface(riid, ppv);
    pObject->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock) {
    if (fLock) {
        InterlockedIncrement(&m_cLocked);
        return S_OK;
    }
    // An unlock without a lock must not cancel a later client's lock.
    LONG current = m_cLocked;
    while (current > 0) {
        const LONG seen = InterlockedCompareExchange(&m_cLocked, current - 1, current);
        if (seen == current) {
            break;
        }
        current = seen;
    }
    return S_OK;
}

BOOL CClassFactory::IsLocked() {
    return InterlockedCompareExchange(&m_cLocked, 0, 0) > 0;
}
