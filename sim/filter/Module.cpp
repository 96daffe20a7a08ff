// The module's entry points: class factory, unloading, and registration of
// the class with the default three devices.
#include <windows.h>

#include <new>

#include "CaptureFilter.h"
#include "DeviceRegistration.h"
#include "VirtualCameraClasses.h"

namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
constexpr std::uint32_t kDefaultDeviceCount = 3;

class ClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static; its references keep the module as locks do.
    STDMETHODIMP_(ULONG) AddRef() override {
        ModuleLock(true);
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ModuleLock(false);
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return zkvfilter::CaptureFilter::Create(riid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        ModuleLock(lock != FALSE);
        return S_OK;
    }
};

ClassFactory g_factory;

// COM for the registration calls, undone only when it was done here.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};

}  // namespace

void ModuleObjectCreated() { InterlockedIncrement(&g_objects); }
void ModuleObjectDestroyed() { InterlockedDecrement(&g_objects); }
void ModuleLock(bool lock) { lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_ZkvVirtualCamera) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    ComScope com;
    HRESULT hr = zkvfilter::RegisterFilterClass(path);
    if (SUCCEEDED(hr)) hr = zkvfilter::RegisterDevices(zkvfilter::DefaultDevices(kDefaultDeviceCount));
    return hr;
}

STDAPI DllUnregisterServer() {
    ComScope com;
    const HRESULT devices = zkvfilter::UnregisterDevices();
    const HRESULT cls = zkvfilter::UnregisterFilterClass();
    return FAILED(devices) ? devices : cls;
}
