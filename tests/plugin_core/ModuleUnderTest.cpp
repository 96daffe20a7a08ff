#include "ModuleUnderTest.h"

#include <cstdlib>

std::string ModulePath() {
    const char* dir = std::getenv("ZKV_BIN_DIR");
    std::string path = dir != nullptr ? dir : ".";
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path + "\\Orvane.ax";
}

bool ModuleUnderTest::Load() {
    module = LoadLibraryA(ModulePath().c_str());
    if (module == nullptr) {
        return false;
    }
    getClassObject = reinterpret_cast<PFNDllGetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    canUnloadNow = reinterpret_cast<PFNDllCanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    registerServer = reinterpret_cast<PFNDllRegisterServer>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    unregisterServer = reinterpret_cast<PFNDllRegisterServer>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
    return getClassObject != nullptr && canUnloadNow != nullptr && registerServer != nullptr &&
           unregisterServer != nullptr;
}

void ModuleUnderTest::Unload() {
    if (module != nullptr) {
        FreeLibrary(module);
        module = nullptr;
    }
}

IClassFactory* ModuleUnderTest::Factory(REFCLSID clsid) {
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    return factory;
}
