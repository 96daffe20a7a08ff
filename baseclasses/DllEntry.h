// The module's entry point and the module-wide state it records. A module
// forwards its DllMain here:
//   BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID reserved)
//   { return DllEntryPoint(h, reason, reserved); }
#pragma once

#include <windows.h>

// The module instance: resources (dialogs, strings) and the module's own path
// come from it.
extern HINSTANCE g_hInst;

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID pv);

// The class-object exports of a module, over g_Templates.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// S_OK when no object of the module exists and no lock is held.
STDAPI DllCanUnloadNow();
