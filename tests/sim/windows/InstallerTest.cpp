// The device installer and the devices' registered values, as another
// process sees them: kinds, serial numbers, faults, withheld interfaces and
// Format 7 modes set at installation; uninstalling. Leaves the three default
// devices installed, as the test prefix has them.
#include "CameraTestSupport.h"

#include <cstdlib>

#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"

using namespace simtest;

namespace {

// The Windows form of a directory of the test configuration (ZKV_BIN_DIR).
std::wstring BinDir() {
    const char* dir = std::getenv("ZKV_BIN_DIR");
    std::wstring path = L"Z:";
    for (const char* p = dir ? dir : "."; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

DWORD RunSetup(const std::wstring& arguments) {
    const std::wstring bin = BinDir();
    std::wstring command = L"\"" + bin + L"\\ZkvCameraSetup.exe\" " + arguments;
    for (std::wstring::size_type at; (at = command.find(L"$AX")) != std::wstring::npos;) {
        command.replace(at, 3, L"\"" + bin + L"\\ZkvVirtualCamera.ax\"");
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 0xFFFFFFFFu;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class InstallerTest : public ComTest {
protected:
    void TearDown() override {
        EXPECT_EQ(0u, RunSetup(L"install $AX 3"));
        EXPECT_EQ(3u, VirtualDevices().size());
        ComTest::TearDown();
    }
};

HRESULT ReadRegister(IBaseFilter* filter, ULONG address, ULONG* value) {
    ComPtr<IKsPropertySet> props;
    HRESULT hr = filter->QueryInterface(IID_IKsPropertySet, props.Out());
    if (FAILED(hr)) return hr;
    RegisterRequest r = {};
    r.address = address;
    DWORD returned = 0;
    hr = props->Get(PROPSETID_ZKV, ZKV_PROPERTY_REGISTER, &r, sizeof r, &r, sizeof r, &returned);
    *value = r.value;
    return hr;
}

}  // namespace

TEST_F(InstallerTest, InstalledValuesShapeEachDevice) {
    const std::size_t before = VirtualDevices().size();
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --fault 1:nonsense:1:0x80004005"));
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --withhold 3:IAMStreamConfig"));
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --kinds mono,colour"));
    EXPECT_EQ(before, VirtualDevices().size());

    ASSERT_EQ(0u, RunSetup(L"install $AX 2 --kinds mono,bayer-bggr --fault 1:register_get:0x1F20:0x80004005 "
                           L"--withhold 2:IAMStreamConfig --no-format7 2:1 --serial 2:777"));
    std::vector<Device> devices = VirtualDevices();
    ASSERT_EQ(2u, devices.size());
    EXPECT_EQ(L"ZKV Virtual IIDC Camera 1 (Mono)", devices[0].friendlyName);
    EXPECT_EQ(L"ZKV Virtual IIDC Camera 2 (Bayer BGGR)", devices[1].friendlyName);

    ComPtr<IBaseFilter> first, second;
    ASSERT_EQ(S_OK, BindDevice(0, &first));
    ASSERT_EQ(S_OK, BindDevice(1, &second));
    ULONG value = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x80004005u), ReadRegister(first.Get(), 0x1F20, &value));
    EXPECT_EQ(S_OK, ReadRegister(first.Get(), 0x1040, &value));
    EXPECT_EQ(0x59595959u, value);  // "YYYY": no colour filter
    ASSERT_EQ(S_OK, ReadRegister(second.Get(), 0x1F20, &value));
    EXPECT_EQ(777u, value);
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(second.Get());
    ComPtr<IUnknown> config;
    EXPECT_EQ(E_NOINTERFACE, pin->QueryInterface(IID_IAMStreamConfig, config.Out()));
    ComPtr<IKsPropertySet> props;
    ASSERT_EQ(S_OK, second->QueryInterface(IID_IKsPropertySet, props.Out()));
    Format7Request f7 = {};
    f7.mode = 1;
    DWORD returned = 0;
    ASSERT_EQ(S_OK, props->Get(PROPSETID_ZKV, ZKV_PROPERTY_FORMAT7, &f7, sizeof f7, &f7, sizeof f7, &returned));
    EXPECT_EQ(0u, f7.modeAvailable);
    f7.mode = 0;
    ASSERT_EQ(S_OK, props->Get(PROPSETID_ZKV, ZKV_PROPERTY_FORMAT7, &f7, sizeof f7, &f7, sizeof f7, &returned));
    EXPECT_EQ(1u, f7.modeAvailable);
}

TEST_F(InstallerTest, UninstallRemovesTheDevicesAndTheClass) {
    ASSERT_EQ(0u, RunSetup(L"uninstall $AX"));
    EXPECT_TRUE(VirtualDevices().empty());
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_ZkvVirtualCamera, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IBaseFilter, filter.Out()));
}
