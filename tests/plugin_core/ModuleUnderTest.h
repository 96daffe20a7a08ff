// The built Orvane.ax, loaded by path from ZKV_BIN_DIR, and its exports.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

typedef HRESULT(STDAPICALLTYPE* PFNDllGetClassObject)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* PFNDllCanUnloadNow)();
typedef HRESULT(STDAPICALLTYPE* PFNDllRegisterServer)();

// The module's path as Windows sees it (ZKV_BIN_DIR may be a Unix path).
std::string ModulePath();

struct ModuleUnderTest {
    HMODULE module = nullptr;
    PFNDllGetClassObject getClassObject = nullptr;
    PFNDllCanUnloadNow canUnloadNow = nullptr;
    PFNDllRegisterServer registerServer = nullptr;
    PFNDllRegisterServer unregisterServer = nullptr;

    // Loads the module and looks up the four exports; false when any is
    // missing.
    bool Load();
    void Unload();
    // A class factory for `clsid` from the module's export; null on failure.
    IClassFactory* Factory(REFCLSID clsid);
};
