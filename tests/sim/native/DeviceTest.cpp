// The device behind the vendor property set: request records in both
// directions, injected faults, read-back, and the settings' text forms.
#include <gtest/gtest.h>

#include <cstring>

#include "VirtualDevice.h"

using namespace zkvsim;

namespace {

DeviceSettings Settings(const char* kind = "bayer", std::uint32_t index = 1) {
    DeviceSettings s;
    s.index = index;
    s.kind = kind;
    return s;
}

ModelResult GetRegister(VirtualDevice& device, std::uint32_t address, std::uint32_t* value) {
    RegisterRequest r;
    std::memset(&r, 0xA5, sizeof r);
    r.address = address;
    r.value = 0;
    std::uint32_t returned = 0;
    const ModelResult result = device.PropertyGet(ZKV_PROPERTY_REGISTER, reinterpret_cast<std::uint8_t*>(&r),
                                                  sizeof r, &returned);
    *value = r.value;
    return result;
}

ModelResult SetRegister(VirtualDevice& device, std::uint32_t address, std::uint32_t value) {
    RegisterRequest r{};
    r.address = address;
    r.value = value;
    return device.PropertySet(ZKV_PROPERTY_REGISTER, reinterpret_cast<const std::uint8_t*>(&r), sizeof r);
}

}  // namespace

TEST(VirtualDevice, AnswersTheThreeRequestRecords) {
    VirtualDevice device(Settings("bayer", 2));
    std::uint32_t serial = 0;
    ASSERT_EQ(kOk, GetRegister(device, 0x1F20, &serial));
    EXPECT_EQ(DefaultSerialNumber(2), serial);

    Format7Request f7{};
    f7.mode = 2;
    std::uint32_t returned = 0;
    ASSERT_EQ(kOk, device.PropertyGet(ZKV_PROPERTY_FORMAT7, reinterpret_cast<std::uint8_t*>(&f7), sizeof f7, &returned));
    EXPECT_EQ(sizeof f7, returned);
    EXPECT_EQ(1u, f7.modeAvailable);
    EXPECT_EQ(640u, f7.maxWidth);

    Format7Request set{};
    set.mode = 2;
    set.left = 8;
    set.top = 16;
    set.width = 320;
    set.height = 240;
    set.speed = 100;
    set.pixelFormat = ZKV_PIXEL_RAW8;
    ASSERT_EQ(kOk, device.PropertySet(ZKV_PROPERTY_FORMAT7, reinterpret_cast<const std::uint8_t*>(&set), sizeof set));
    StreamFormat current;
    ASSERT_EQ(kOk, device.GetStreamFormat(&current));
    EXPECT_TRUE(current.format7);
    EXPECT_EQ(MakeFourcc('R', 'G', 'B', '3'), current.fourcc);

    BufferCountRequest b{};
    b.count = 9;
    ASSERT_EQ(kOk, device.PropertySet(ZKV_PROPERTY_BUFFER_COUNT, reinterpret_cast<const std::uint8_t*>(&b), sizeof b));
    b.count = 0;
    ASSERT_EQ(kOk, device.PropertyGet(ZKV_PROPERTY_BUFFER_COUNT, reinterpret_cast<std::uint8_t*>(&b), sizeof b, &returned));
    EXPECT_EQ(9u, b.count);
    b.count = 0;
    EXPECT_EQ(kInvalidArg, device.PropertySet(ZKV_PROPERTY_BUFFER_COUNT, reinterpret_cast<const std::uint8_t*>(&b), sizeof b));
    b.count = kMaxBufferCount + 1;
    EXPECT_EQ(kInvalidArg, device.PropertySet(ZKV_PROPERTY_BUFFER_COUNT, reinterpret_cast<const std::uint8_t*>(&b), sizeof b));
    EXPECT_EQ(9u, device.BufferCount());
}

TEST(VirtualDevice, RefusesShortRecordsAndUnknownProperties) {
    VirtualDevice device(Settings());
    std::uint8_t record[88] = {};
    std::uint32_t returned = 0;
    EXPECT_EQ(kBufferTooSmall, device.PropertyGet(ZKV_PROPERTY_REGISTER, record, 39, &returned));
    EXPECT_EQ(kBufferTooSmall, device.PropertySet(ZKV_PROPERTY_FORMAT7, record, 87));
    EXPECT_EQ(kBufferTooSmall, device.PropertyGet(ZKV_PROPERTY_BUFFER_COUNT, nullptr, 32, &returned));
    EXPECT_EQ(kPropIdUnsupported, device.PropertyGet(3, record, sizeof record, &returned));
    // A failed read leaves the caller's value field as it was.
    std::uint32_t value = 0;
    EXPECT_EQ(kAddressError, GetRegister(device, 0x1F2C, &value));
    EXPECT_EQ(0u, value);
}

TEST(VirtualDevice, FaultsHitOnlyTheirRequests) {
    VirtualDevice device(Settings());
    const ModelResult failure = static_cast<ModelResult>(0x80004005u);
    device.SetFault(kFaultRegisterGet, 0x1F20, failure);
    std::uint32_t value = 0;
    EXPECT_EQ(failure, GetRegister(device, 0x1F20, &value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ(kOk, GetRegister(device, 0x800, &value));
    // Peek bypasses faults; a specific key wins over "any".
    EXPECT_EQ(kOk, device.PeekRegister(0x1F20, &value));
    const ModelResult other = static_cast<ModelResult>(0x80070057u);
    device.SetFault(kFaultRegisterGet, kAnyKey, other);
    EXPECT_EQ(failure, GetRegister(device, 0x1F20, &value));
    EXPECT_EQ(other, GetRegister(device, 0x800, &value));
    // A success result removes the fault.
    device.SetFault(kFaultRegisterGet, kAnyKey, kOk);
    EXPECT_EQ(kOk, GetRegister(device, 0x800, &value));

    device.SetFault(kFaultPropertySet, ZKV_PROPERTY_REGISTER, failure);
    EXPECT_EQ(failure, SetRegister(device, 0x800, kOnOff | 9));
    EXPECT_EQ(kOk, device.PeekRegister(0x800, &value));
    EXPECT_NE(9u, value & kValueMask);

    device.SetFault(kFaultProcAmpSet, kProcAmpHue, failure);
    EXPECT_EQ(failure, device.ProcAmpSet(kProcAmpHue, 5, kProcAmpFlagManual));
    EXPECT_EQ(kOk, device.ProcAmpSet(kProcAmpSaturation, 5, kProcAmpFlagManual));
    device.SetFault(kFaultStreamGetStreamCaps, 3, failure);
    StreamCapability cap;
    EXPECT_EQ(failure, device.GetStreamCapability(3, &cap));
    EXPECT_EQ(kOk, device.GetStreamCapability(4, &cap));

    device.ClearFaults();
    EXPECT_EQ(kOk, GetRegister(device, 0x1F20, &value));
    EXPECT_EQ(kOk, SetRegister(device, 0x800, kOnOff | 9));
}

TEST(VirtualDevice, KeepsTheLastRecordsAndTheRegisterWrites) {
    VirtualDevice device(Settings());
    std::uint8_t record[40];
    EXPECT_EQ(kFalse, device.LastRequest(ZKV_PROPERTY_REGISTER, true, record, sizeof record));
    device.SetFault(kFaultRegisterSet, 0x804, static_cast<ModelResult>(0x80004005u));
    SetRegister(device, 0x800, kOnOff | 1);
    SetRegister(device, 0x804, 2);  // faulted, but it reached the camera's side
    SetRegister(device, 0x1F20, 3);  // refused by the camera, logged all the same
    const auto writes = device.RegisterWrites();
    ASSERT_EQ(3u, writes.size());
    EXPECT_EQ(0x800u, writes[0].first);
    EXPECT_EQ(kOnOff | 1, writes[0].second);
    EXPECT_EQ(0x1F20u, writes[2].first);
    ASSERT_EQ(kOk, device.LastRequest(ZKV_PROPERTY_REGISTER, true, record, sizeof record));
    RegisterRequest last;
    std::memcpy(&last, record, sizeof last);
    EXPECT_EQ(0x1F20u, last.address);
    EXPECT_EQ(3u, last.value);
    device.ClearRegisterWrites();
    EXPECT_TRUE(device.RegisterWrites().empty());
    EXPECT_EQ(kInvalidArg, device.LastRequest(7, false, record, sizeof record));
}

TEST(VirtualDevice, SettingsConfigureFaultsWithholdingAndModes) {
    DeviceSettings s = Settings("mono", 3);
    s.serialNumber = 99;
    ASSERT_TRUE(ParseFaultList("register_get:0x1F20:0x80004005;procamp_get:any:80070057", &s.faults));
    ASSERT_TRUE(ParseWithheldList("IAMVideoProcAmp,IZKVInterface", &s.withheld));
    ASSERT_TRUE(ParseModeList("1", &s.format7Unavailable));
    VirtualDevice device(s);
    std::uint32_t value = 0;
    EXPECT_EQ(static_cast<ModelResult>(0x80004005u), GetRegister(device, 0x1F20, &value));
    EXPECT_EQ(kOk, device.PeekRegister(0x1F20, &value));
    EXPECT_EQ(99u, value);
    std::int32_t v = 0, flags = 0;
    EXPECT_EQ(static_cast<ModelResult>(0x80070057u), device.ProcAmpGet(kProcAmpHue, &v, &flags));
    EXPECT_TRUE(device.IsWithheld(kWithholdVideoProcAmp));
    EXPECT_FALSE(device.IsWithheld(kWithholdStreamConfig));
    Format7Request f7{};
    f7.mode = 1;
    std::uint32_t returned = 0;
    device.PropertyGet(ZKV_PROPERTY_FORMAT7, reinterpret_cast<std::uint8_t*>(&f7), sizeof f7, &returned);
    EXPECT_EQ(0u, f7.modeAvailable);
}

TEST(DeviceSettingsText, ParsesAndFormatsRoundTrip) {
    FaultSpec f{};
    ASSERT_TRUE(ParseFault("format7_set:2:0x8007001F", &f));
    EXPECT_EQ(kFaultFormat7Set, f.point);
    EXPECT_EQ(2u, f.key);
    EXPECT_EQ(static_cast<std::int32_t>(0x8007001Fu), f.result);
    FaultSpec back{};
    ASSERT_TRUE(ParseFault(FormatFault(f), &back));
    EXPECT_EQ(f.point, back.point);
    EXPECT_EQ(f.key, back.key);
    EXPECT_EQ(f.result, back.result);
    ASSERT_TRUE(ParseFault("buffer_count_get:any:80004005", &f));
    EXPECT_EQ(kAnyKey, f.key);
    // The device-level points are named like the others and take only "any".
    const std::pair<const char*, std::uint32_t> deviceLevel[] = {
        {"load", kFaultLoad}, {"join_filter_graph", kFaultJoinFilterGraph}, {"pin_connect", kFaultPinConnect},
        {"pause", kFaultPause}, {"run", kFaultRun}};
    for (const auto& point : deviceLevel) {
        const std::string name = point.first;
        ASSERT_TRUE(ParseFault(name + ":any:0x80040217", &f)) << name;
        EXPECT_EQ(point.second, f.point);
        ASSERT_TRUE(ParseFault(FormatFault(f), &back)) << name;
        EXPECT_EQ(point.second, back.point);
        EXPECT_FALSE(ParseFault(name + ":0:0x80040217", &f)) << name;
    }

    for (const char* bad : {"", "register_get", "register_get:1", "nothing:1:0x80004005",
                            "register_get:x:0x80004005", "register_get:1:0x00000001", "register_get:1:zz",
                            "register_get:1:0x80004005:9", "register_get:-1:0x80004005",
                            "register_get:0x100000000:0x80004005", "drop_frames:0:0x80004005"}) {
        EXPECT_FALSE(ParseFault(bad, &f)) << bad;
    }
    std::vector<FaultSpec> list;
    EXPECT_FALSE(ParseFaultList("register_get:1:0x80004005;", &list));
    EXPECT_TRUE(ParseFaultList("", &list));
    EXPECT_TRUE(list.empty());

    std::uint32_t withheld = 0;
    EXPECT_FALSE(ParseWithheldList("IAMStreamConfig,IUnknown", &withheld));
    ASSERT_TRUE(ParseWithheldList("IZKVInterface,IAMStreamConfig", &withheld));
    EXPECT_EQ("IAMStreamConfig,IZKVInterface", FormatWithheldList(withheld));
    std::uint32_t lacks = 0;
    EXPECT_FALSE(ParseMissingList("trigger,zoom", &lacks));
    ASSERT_TRUE(ParseMissingList("channels,trigger", &lacks));
    EXPECT_EQ("trigger,channels", FormatMissingList(lacks));
    std::vector<std::uint32_t> modes;
    EXPECT_FALSE(ParseModeList("8", &modes));
    ASSERT_TRUE(ParseModeList("0,6", &modes));
    EXPECT_EQ("0,6", FormatModeList(modes));

    std::uint32_t device = 0;
    std::string rest;
    ASSERT_TRUE(SplitDeviceOption("1:register_get:0x1F20:0x80004005", &device, &rest));
    EXPECT_EQ(1u, device);
    EXPECT_EQ("register_get:0x1F20:0x80004005", rest);
    EXPECT_FALSE(SplitDeviceOption("0:register_get:1:0x80004005", &device, &rest));
    EXPECT_FALSE(SplitDeviceOption("register_get", &device, &rest));

    EXPECT_NE(DefaultSerialNumber(1), DefaultSerialNumber(2));
    EXPECT_STREQ("bayer", DefaultKind(1));
    EXPECT_STREQ("yuv", DefaultKind(2));
    EXPECT_STREQ("mono", DefaultKind(3));
}
