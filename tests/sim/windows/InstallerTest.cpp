// The device installer and the devices' registered values, as another
// process sees them: kinds, serial numbers, faults, withheld interfaces and
// Format 7 modes set at installation; uninstalling. Leaves the three default
// devices installed, as the test prefix has them.
#include "CameraTestSupport.h"

#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"

using namespace simtest;

namespace {

class InstallerTest : public ComTest {
protected:
    void TearDown() override {
        EXPECT_EQ(0u, RunSetup(L"install $AX 3"));
        EXPECT_EQ(3u, VirtualDevices().size());
        ComTest::TearDown();
    }
};

}  // namespace

TEST_F(InstallerTest, InstalledValuesShapeEachDevice) {
    const std::size_t before = VirtualDevices().size();
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --fault 1:nonsense:1:0x80004005"));
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --withhold 3:IAMStreamConfig"));
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --kinds mono,colour"));
    EXPECT_EQ(2u, RunSetup(L"install $AX 2 --no-trigger 3"));
    EXPECT_EQ(before, VirtualDevices().size());

    ASSERT_EQ(0u, RunSetup(L"install $AX 2 --kinds mono,bayer-bggr --fault 1:register_get:0x1F20:0x80004005 "
                           L"--withhold 2:IAMStreamConfig --no-format7 2:1 --serial 2:777 --no-trigger 1 "
                           L"--no-one-push 2 --no-channels 2"));
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
    // What each lacks: the trigger; one-push (white balance) and the memory channels.
    const struct {
        IBaseFilter* device;
        ULONG address, mask, want;
    } controls[] = {
        {first.Get(), 0x530, 0x80000000u, 0},          {second.Get(), 0x530, 0x80000000u, 0x80000000u},
        {first.Get(), 0x50C, 0x10000000u, 0x10000000u}, {second.Get(), 0x50C, 0x10000000u, 0},
        {first.Get(), 0x400, 0xFu, 2},                  {second.Get(), 0x400, 0xFu, 0},
    };
    for (const auto& c : controls) {
        ASSERT_EQ(S_OK, ReadRegister(c.device, c.address, &value)) << std::hex << c.address;
        EXPECT_EQ(c.want, value & c.mask) << std::hex << c.address << " of device " << (c.device == first.Get() ? 1 : 2);
    }
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

TEST_F(InstallerTest, MemoryChannelsLastAsLongAsTheRegistration) {
    const ULONG brightness = 0x800, memSaveCh = 0x620, memorySave = 0x618, curMemCh = 0x624;
    ULONG factory = 0, value = 0;
    {
        ComPtr<IBaseFilter> camera;
        ASSERT_EQ(S_OK, BindDevice(0, &camera));
        ASSERT_EQ(S_OK, ReadRegister(camera.Get(), brightness, &factory));
        ASSERT_EQ(S_OK, WriteRegister(camera.Get(), brightness, (factory & ~0xFFFu) | 123));
        ASSERT_EQ(S_OK, WriteRegister(camera.Get(), memSaveCh, 2u << 28));
        ASSERT_EQ(S_OK, WriteRegister(camera.Get(), memorySave, 0x80000000u));
    }
    auto loadChannel2 = [&](ULONG* loaded) {
        // A new filter object: the camera powered up again.
        ComPtr<IBaseFilter> camera;
        ASSERT_EQ(S_OK, BindDevice(0, &camera));
        ASSERT_EQ(S_OK, ReadRegister(camera.Get(), brightness, &value));
        EXPECT_EQ(factory, value);
        ASSERT_EQ(S_OK, WriteRegister(camera.Get(), curMemCh, 2u << 28));
        ASSERT_EQ(S_OK, ReadRegister(camera.Get(), brightness, loaded));
    };
    loadChannel2(&value);
    EXPECT_EQ((factory & ~0xFFFu) | 123, value);
    // A new registration of the device starts with factory channels.
    ASSERT_EQ(0u, RunSetup(L"install $AX 3"));
    loadChannel2(&value);
    EXPECT_EQ(factory, value);
}
