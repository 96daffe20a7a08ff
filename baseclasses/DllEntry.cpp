#include "DllEntry.h"

#include <new>

#include "ClassFactory.h"

HINSTANCE g_hInst = NULL;

namespace {

void CallInitRoutines(BOOL bLoading) {
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        if (entry.m_lpfnInit != NULL) {
            entry.m_lpfnInit(bLoading, entry.m_ClsID);
        }
    }
}

}  // namespace

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID /*pv*/) {
    switch (ulReason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(hInstance);
        g_hInst = hInstance;
        CallInitRoutines(TRUE);
        break;
    case DLL_PROCESS_DETACH:
        CallInitRoutines(FALSE);
        break;
    default:
        break;
    }
    return TRUE;
}

// The module's class-object exports live beside its entry point, which every
// module references, so that linking the layer always brings them in.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    *ppv = NULL;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate* pTemplate = &g_Templates[i];
        if (!pTemplate->IsClassID(rclsid)) {
            continue;
        }
        CClassFactory* pFactory = new (std::nothrow) CClassFactory(pTemplate);
        if (pFactory == NULL) {
            return E_OUTOFMEMORY;
        }
        pFactory->AddRef();
        *ppv = static_cast<IClassFactory*>(pFactory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return (!CClassFactory::IsLocked() && CBaseObject::ObjectsActive() == 0) ? S_OK : S_FALSE;
}
