// Register semantics of the camera model: feature inquiry and control bits,
// absolute values, read-only and unimplemented registers, mode registers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "CameraModel.h"

using namespace zkvsim;

namespace {

CameraModel MakeCamera(const char* kind = "bayer", std::uint32_t serial = 7340001) {
    return CameraModel(*FindDeviceKind(kind), serial);
}

std::uint32_t Read(const CameraModel& camera, std::uint32_t address) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(kOk, camera.ReadRegister(address, &value)) << std::hex << address;
    return value;
}

float ReadFloat(const CameraModel& camera, std::uint32_t address) {
    const std::uint32_t bits = Read(camera, address);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::uint32_t Bits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

TEST(CameraRegisters, SerialNumberIsReadOnlyAndAccessRulesHold) {
    CameraModel camera = MakeCamera("bayer", 1234567);
    EXPECT_EQ(1234567u, Read(camera, kRegSerialNumber));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(kRegSerialNumber, 1));
    EXPECT_EQ(1234567u, Read(camera, kRegSerialNumber));

    std::uint32_t value = 0;
    EXPECT_EQ(kInvalidArg, camera.ReadRegister(0x802, &value));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(0x1F21, 0));
    EXPECT_EQ(kAddressError, camera.ReadRegister(0x2004, &value));
    EXPECT_EQ(kAddressError, camera.ReadRegister(0x90C, &value));  // gap after a triple
    EXPECT_EQ(kAddressError, camera.WriteRegister(0x7FFC, 0));
    EXPECT_EQ(kAddressError, camera.ReadRegister(0xFFFFFFFC, &value));
}

TEST(CameraRegisters, FeatureInquiryDescribesEachFeature) {
    CameraModel camera = MakeCamera();
    const std::uint32_t gainInq = Read(camera, 0x520);
    EXPECT_TRUE(gainInq & kPresenceInq);
    EXPECT_TRUE(gainInq & kAbsControlInq);
    EXPECT_TRUE(gainInq & kOnOffInq);
    EXPECT_TRUE(gainInq & kAutoInq);
    EXPECT_TRUE(gainInq & kManualInq);
    EXPECT_EQ(0u, (gainInq >> 12) & 0xFFF);  // minimum
    EXPECT_EQ(680u, gainInq & 0xFFF);        // maximum
    // Sharpness and white balance have no absolute control.
    EXPECT_FALSE(Read(camera, 0x508) & kAbsControlInq);
    EXPECT_FALSE(Read(camera, 0x50C) & kAbsControlInq);
    // Iris and focus are absent: both registers read 0 and refuse writes.
    EXPECT_EQ(0u, Read(camera, 0x524));
    EXPECT_EQ(0u, Read(camera, 0x824));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(0x824, kOnOff | 5));
    EXPECT_EQ(0u, Read(camera, 0x824));
    // FEATURE_HI_INQ names exactly the present features of 0x800..0x83C.
    const std::uint32_t hi = Read(camera, 0x404);
    EXPECT_TRUE(hi & 0x80000000u);            // brightness
    EXPECT_FALSE(hi & (0x80000000u >> 9));    // iris
    EXPECT_TRUE(hi & (0x80000000u >> 8));     // gain
}

TEST(CameraRegisters, ControlWritesKeepOnlyWhatTheFeatureSupports) {
    CameraModel camera = MakeCamera();
    // Brightness: absolute control, on, manual, value 100.
    ASSERT_EQ(kOk, camera.WriteRegister(0x800, kAbsControl | kOnOff | 100));
    EXPECT_EQ(kPresence | kAbsControl | kOnOff | 100, Read(camera, 0x800));
    // Sharpness cannot take absolute control: the bit is dropped.
    ASSERT_EQ(kOk, camera.WriteRegister(0x808, kAbsControl | kOnOff | kAutoMode | 20));
    EXPECT_EQ(kPresence | kOnOff | kAutoMode | 20, Read(camera, 0x808));
    // Values clamp to the feature's range; the presence bit cannot be cleared.
    ASSERT_EQ(kOk, camera.WriteRegister(0x820, kOnOff | 0xFFF));
    EXPECT_EQ(kPresence | kOnOff | 680, Read(camera, 0x820));
    // Gamma's minimum is 512.
    ASSERT_EQ(kOk, camera.WriteRegister(0x818, kOnOff | 3));
    EXPECT_EQ(512u, Read(camera, 0x818) & kValueMask);
    // White balance keeps blue in bits 12..23 and red in 0..11, each clamped.
    ASSERT_EQ(kOk, camera.WriteRegister(0x80C, kOnOff | 0x3FF000 | 0x123));
    EXPECT_EQ(kPresence | kOnOff | 0x3FF000 | 0x123, Read(camera, 0x80C));
    ASSERT_EQ(kOk, camera.WriteRegister(0x80C, kOnOff | 0xFFF000 | 0x5));
    EXPECT_EQ(kPresence | kOnOff | 0x3FF000 | 0x5, Read(camera, 0x80C));
    // The temperature can be read but not set.
    const std::uint32_t temperature = Read(camera, 0x82C);
    ASSERT_EQ(kOk, camera.WriteRegister(0x82C, kOnOff | 7));
    EXPECT_EQ(temperature & kValueMask, Read(camera, 0x82C) & kValueMask);
    // Inquiry registers are read-only.
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(0x500, 0));
}

TEST(CameraRegisters, AbsoluteValuesFollowTheIntegerValueAndBack) {
    CameraModel camera = MakeCamera();
    EXPECT_EQ(0.0f, ReadFloat(camera, 0x920));   // ABS_GAIN_MIN
    EXPECT_EQ(24.0f, ReadFloat(camera, 0x924));  // ABS_GAIN_MAX
    ASSERT_EQ(kOk, camera.WriteRegister(0x820, kOnOff | 340));
    EXPECT_NEAR(12.0f, ReadFloat(camera, 0x928), 0.05f);

    ASSERT_EQ(kOk, camera.WriteRegister(0x928, Bits(6.0f)));
    EXPECT_EQ(6.0f, ReadFloat(camera, 0x928));
    EXPECT_EQ(170u, Read(camera, 0x820) & kValueMask);
    // Outside the range the value is clamped; NaN and infinity are refused.
    ASSERT_EQ(kOk, camera.WriteRegister(0x928, Bits(99.0f)));
    EXPECT_EQ(24.0f, ReadFloat(camera, 0x928));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(0x928, 0x7FC00000u));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(0x928, 0x7F800000u));
    EXPECT_EQ(24.0f, ReadFloat(camera, 0x928));
    // MIN and MAX are read-only; hue's absolute scale is signed degrees.
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(0x920, Bits(1.0f)));
    EXPECT_EQ(-180.0f, ReadFloat(camera, 0x970));
    ASSERT_EQ(kOk, camera.WriteRegister(0x978, Bits(-10.0f)));
    EXPECT_EQ(-10.0f, ReadFloat(camera, 0x978));
    // The shutter in seconds: a 5 ms exposure stays 5 ms.
    ASSERT_EQ(kOk, camera.WriteRegister(0x918, Bits(0.005f)));
    EXPECT_EQ(0.005f, ReadFloat(camera, 0x918));
}

TEST(CameraRegisters, PokesChangeTheCameraBehindTheClientsBack) {
    CameraModel camera = MakeCamera();
    // Taking Presence away removes the feature from every path.
    ASSERT_EQ(kOk, camera.PokeRegister(0x500, 0));
    EXPECT_EQ(0u, Read(camera, 0x800));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(0x800, kOnOff | 1));
    ProcAmpRange range{};
    EXPECT_EQ(kPropIdUnsupported, camera.ProcAmpGetRange(kProcAmpBrightness, &range));
    // A control register changed by the camera itself, auto bit included.
    ASSERT_EQ(kOk, camera.PokeRegister(0x820, kAutoMode | kOnOff | 17));
    EXPECT_EQ(kPresence | kAutoMode | kOnOff | 17, Read(camera, 0x820));
    // A triple with MAX below MIN stays as poked.
    ASSERT_EQ(kOk, camera.PokeRegister(0x924, Bits(-1.0f)));
    EXPECT_EQ(-1.0f, ReadFloat(camera, 0x924));
    // Read-only registers can be poked; a poke creates a register that was not there.
    ASSERT_EQ(kOk, camera.PokeRegister(kRegSerialNumber, 42));
    EXPECT_EQ(42u, Read(camera, kRegSerialNumber));
    ASSERT_EQ(kOk, camera.PokeRegister(0x1800, 7));
    EXPECT_EQ(7u, Read(camera, 0x1800));
    // INITIALIZE restores the features, not the pokes of other registers.
    ASSERT_EQ(kOk, camera.WriteRegister(kRegInitialize, 0x80000000u));
    EXPECT_TRUE(Read(camera, 0x500) & kPresenceInq);
    EXPECT_EQ(kPresence | kOnOff, Read(camera, 0x820));
}

TEST(CameraRegisters, ModeRegistersFollowTheStreamFormat) {
    CameraModel camera = MakeCamera("bayer");
    // The Bayer camera starts in 640x480 8-bit (Format 0 mode 5), 15 fps.
    EXPECT_EQ(0u, Read(camera, kRegCurVFormat));
    EXPECT_EQ(5u << 29, Read(camera, kRegCurVMode));
    EXPECT_EQ(3u << 29, Read(camera, kRegCurVFrmRate));
    StreamFormat f;
    f.fourcc = MakeFourcc('U', 'Y', 'V', 'Y');
    f.width = 1024;
    f.height = 768;
    f.frameInterval = 333333;
    ASSERT_EQ(kOk, camera.SetStreamFormat(f));
    EXPECT_EQ(1u << 29, Read(camera, kRegCurVFormat));
    EXPECT_EQ(3u << 29, Read(camera, kRegCurVMode));
    EXPECT_EQ(4u << 29, Read(camera, kRegCurVFrmRate));
    // Writable within what the camera offers.
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(kRegCurVFrmRate, 6u << 29));
    ASSERT_EQ(kOk, camera.WriteRegister(kRegCurVFrmRate, 2u << 29));
    EXPECT_EQ(FrameIntervalOfRate(2), camera.FrameInterval());
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(kRegCurVFormat, 2u << 29));
    // Mono cameras have no YUV modes: Format 0 mode 1 is refused.
    CameraModel mono = MakeCamera("mono");
    EXPECT_EQ(kInvalidArg, mono.WriteRegister(kRegCurVMode, 1u << 29));
    EXPECT_EQ(kOk, mono.WriteRegister(kRegCurVMode, 6u << 29));
}
