// What the module's registration writes and removes under HKEY_CLASSES_ROOT.
// Each test leaves the module registered, as the test prefix has it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "FakeOuter.h"
#include "ModuleUnderTest.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"

namespace {

struct ModuleClass {
    const CLSID* clsid;
    const char* name;
};

// The module's classes in table order; a page that is not in the module yet
// is skipped (the module offers no factory for it).
const ModuleClass kClasses[] = {
    {&CLSID_ZKVStreamingConfigPage, "ZKV Streaming Config"},
    {&CLSID_ZKVInterfaceHandler, "ZKV KSProxy Extension Sample Interface Handler"},
    {&CLSID_ZKVVideoProcAmpPage, "ZKV Video Proc Amp"},
    {&CLSID_ZKVCameraControlPage, "ZKV Camera Control"},
};

std::string ClassKey(REFCLSID clsid) {
    WCHAR wide[39];
    StringFromGUID2(clsid, wide, 39);
    char ansi[39];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof(ansi), nullptr, nullptr);
    return std::string("CLSID\\") + ansi;
}

bool KeyExists(const std::string& key) {
    HKEY hk = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(hk);
    return true;
}

// Every value below `key`, as "subkey|value|type|data", for comparing trees.
void Snapshot(HKEY parent, const std::string& key, std::map<std::string, std::string>* out) {
    HKEY hk = nullptr;
    if (RegOpenKeyExA(parent, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD cchName = sizeof(name);
        BYTE data[1024];
        DWORD cbData = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueA(hk, i, name, &cchName, nullptr, &type, data, &cbData) != ERROR_SUCCESS) {
            break;
        }
        (*out)[key + "|" + name] = std::to_string(type) + "|" +
                                   std::string(reinterpret_cast<char*>(data), cbData);
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD cchName = sizeof(name);
        if (RegEnumKeyExA(hk, i, name, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        (*out)[key + "\\" + name] = "key";
        Snapshot(parent, key + "\\" + name, out);
    }
    RegCloseKey(hk);
}

std::string StringValue(const std::string& key, const char* value) {
    char data[1024] = {};
    DWORD cbData = sizeof(data);
    DWORD type = 0;
    HKEY hk = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) {
        return "<no key>";
    }
    const LONG rc = RegQueryValueExA(hk, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &cbData);
    RegCloseKey(hk);
    if (rc != ERROR_SUCCESS || type != REG_SZ) {
        return "<no string>";
    }
    return data;
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(m_module.Load()) << ModulePath();
        char path[MAX_PATH];
        ASSERT_NE(GetModuleFileNameA(m_module.module, path, MAX_PATH), 0u);
        m_path = path;
        for (const ModuleClass& c : kClasses) {
            IClassFactory* factory = m_module.Factory(*c.clsid);
            if (factory != nullptr) {
                factory->Release();
                m_present[c.clsid] = true;
            }
        }
        ASSERT_TRUE(m_present[&CLSID_ZKVInterfaceHandler]);
    }
    void TearDown() override {
        EXPECT_EQ(m_module.registerServer(), S_OK);
        m_module.Unload();
        CoUninitialize();
    }

    std::map<std::string, std::string> SnapshotAll() {
        std::map<std::string, std::string> all;
        for (const ModuleClass& c : kClasses) {
            Snapshot(HKEY_CLASSES_ROOT, ClassKey(*c.clsid), &all);
        }
        return all;
    }

    ModuleUnderTest m_module;
    std::string m_path;
    std::map<const CLSID*, bool> m_present;
};

TEST_F(RegistrationTest, RegisterWritesEachClassKeyAndIsRepeatable) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    for (const ModuleClass& c : kClasses) {
        const std::string key = ClassKey(*c.clsid);
        if (!m_present[c.clsid]) {
            continue;
        }
        SCOPED_TRACE(c.name);
        EXPECT_EQ(key.size(), 6u + 38u);
        EXPECT_EQ(StringValue(key, nullptr), c.name);
        EXPECT_EQ(StringValue(key + "\\InprocServer32", nullptr), m_path);
        EXPECT_EQ(StringValue(key + "\\InprocServer32", "ThreadingModel"), "Both");
    }
    const auto first = SnapshotAll();
    ASSERT_EQ(m_module.registerServer(), S_OK);
    EXPECT_EQ(SnapshotAll(), first);
}

TEST_F(RegistrationTest, UnregisterRemovesEverythingAndMayRunTwice) {
    ASSERT_EQ(m_module.registerServer(), S_OK);
    // Something written below a class key by someone else goes too.
    HKEY extra = nullptr;
    const std::string handlerKey = ClassKey(CLSID_ZKVInterfaceHandler);
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (handlerKey + "\\InprocServer32\\Deeper\\Deepest").c_str(),
                            &extra),
              ERROR_SUCCESS);
    RegCloseKey(extra);

    ASSERT_EQ(m_module.unregisterServer(), S_OK);
    for (const ModuleClass& c : kClasses) {
        EXPECT_FALSE(KeyExists(ClassKey(*c.clsid))) << c.name;
    }
    FakeOuter outer;
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ZKVInterfaceHandler, outer.AsUnknown(), CLSCTX_INPROC_SERVER,
                               IID_IUnknown, &out),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(m_module.unregisterServer(), S_OK);

    // Registered again, COM finds the class at once.
    ASSERT_EQ(m_module.registerServer(), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_ZKVInterfaceHandler, outer.AsUnknown(), CLSCTX_INPROC_SERVER,
                               IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    outer.ReleaseInner();
}

// The registration tool's exit code for `arguments`.
DWORD RunRegsvr32(const std::string& arguments) {
    std::string command = "regsvr32.exe " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return static_cast<DWORD>(-1);
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST_F(RegistrationTest, RegistrationToolRegistersAndUnregistersTwice) {
    const std::string quoted = "\"" + m_path + "\"";
    const std::string handlerKey = ClassKey(CLSID_ZKVInterfaceHandler);
    EXPECT_EQ(RunRegsvr32("/s /u " + quoted), 0u);
    EXPECT_FALSE(KeyExists(handlerKey));
    EXPECT_EQ(RunRegsvr32("/s /u " + quoted), 0u);
    EXPECT_EQ(RunRegsvr32("/s " + quoted), 0u);
    EXPECT_EQ(StringValue(handlerKey + "\\InprocServer32", nullptr), m_path);
}

}  // namespace
