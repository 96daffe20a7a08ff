// The module's entry point and its registration exports.
#include "BaseClasses.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pv) {
    return DllEntryPoint(hInstance, dwReason, pv);
}

STDAPI DllRegisterServer() {
    return AMovieDllRegisterServer();
}

STDAPI DllUnregisterServer() {
    return AMovieDllUnregisterServer();
}
