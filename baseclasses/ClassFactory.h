// The module's class table and the class factory that creates its objects.
// Each module defines the table:
//   CFactoryTemplate g_Templates[] = {{L"Name", &CLSID_X, CX::CreateInstance, NULL}, ...};
//   int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);
#pragma once

#include "ComBase.h"

// Creates an object of a class: the outer object (null when not aggregated)
// and the construction result; returns the object or null.
typedef CUnknown*(CALLBACK* LPFNNewCOMObject)(LPUNKNOWN pUnkOuter, HRESULT* phr);
// Called with TRUE at process attach and FALSE at process detach.
typedef void(CALLBACK* LPFNInitRoutine)(BOOL bLoading, const CLSID* rclsid);

class CFactoryTemplate {
public:
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;

    BOOL IsClassID(REFCLSID rclsid) const { return IsEqualCLSID(*m_ClsID, rclsid); }
    CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) const {
        CheckPointer(phr, NULL);
        return m_lpfnNew(pUnk, phr);
    }
};

extern CFactoryTemplate g_Templates[];
extern int g_cTemplates;

// One factory per DllGetClassObject call, bound to one table entry. It counts
// as an object of the module while it lives.
class CClassFactory final : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

    // True while a client holds a lock on the module through LockServer.
    static BOOL IsLocked();

private:
    volatile LONG m_cRef;
    const CFactoryTemplate* const m_pTemplate;
    static volatile LONG m_cLocked;
};

