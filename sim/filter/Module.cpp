// The module: its class table over the base layer's class factory and
// unloading, and registration of the class with the default three devices.
#include <windows.h>

#include "BaseClasses.h"
#include "CaptureFilter.h"
#include "DeviceRegistration.h"
#include "VirtualCameraClasses.h"

namespace {

constexpr std::uint32_t kDefaultDeviceCount = 3;

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

CFactoryTemplate g_Templates[] = {
    {L"ZKV Virtual IIDC Camera", &CLSID_ZkvVirtualCamera, zkvfilter::CaptureFilter::CreateInstance, NULL},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return DllEntryPoint(instance, reason, reserved);
}

// The class and its devices are registered by DeviceRegistration, which also
// writes the device category entries that the base layer's registration
// leaves to filter modules.
STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_hInst, path, MAX_PATH);
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
