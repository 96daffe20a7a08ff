// The video proc amp mapping onto the feature registers, and the stream
// formats the capture pin offers and accepts.
#include <gtest/gtest.h>

#include <set>

#include "CameraModel.h"

using namespace zkvsim;

namespace {

std::uint32_t Read(const CameraModel& camera, std::uint32_t address) {
    std::uint32_t value = 0;
    EXPECT_EQ(kOk, camera.ReadRegister(address, &value));
    return value;
}

}  // namespace

TEST(ProcAmp, EachCodeDrivesItsFeatureRegister) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    const struct {
        std::int32_t code;
        std::uint32_t control;
    } mapping[] = {{kProcAmpBrightness, 0x800}, {kProcAmpContrast, 0x820}, {kProcAmpHue, 0x810},
                   {kProcAmpSaturation, 0x814}, {kProcAmpSharpness, 0x808}, {kProcAmpGamma, 0x818},
                   {kProcAmpBacklightCompensation, 0x81C}};
    for (const auto& m : mapping) {
        ProcAmpRange range{};
        ASSERT_EQ(kOk, camera.ProcAmpGetRange(m.code, &range)) << m.code;
        EXPECT_EQ(static_cast<std::int32_t>((Read(camera, m.control - 0x300) >> 12) & 0xFFF), range.min);
        EXPECT_EQ(static_cast<std::int32_t>(Read(camera, m.control - 0x300) & 0xFFF), range.max);
        EXPECT_EQ(kProcAmpFlagAuto | kProcAmpFlagManual, range.capsFlags);
        const std::int32_t value = range.min + 1;
        ASSERT_EQ(kOk, camera.ProcAmpSet(m.code, value, kProcAmpFlagManual));
        EXPECT_EQ(static_cast<std::uint32_t>(value), Read(camera, m.control) & kValueMask) << m.code;
        EXPECT_FALSE(Read(camera, m.control) & kAutoMode);
        ASSERT_EQ(kOk, camera.ProcAmpSet(m.code, value, kProcAmpFlagAuto));
        EXPECT_TRUE(Read(camera, m.control) & kAutoMode);
        // And the other way round: the register decides what Get answers.
        ASSERT_EQ(kOk, camera.WriteRegister(m.control, kOnOff | static_cast<std::uint32_t>(range.max)));
        std::int32_t got = 0, flags = 0;
        ASSERT_EQ(kOk, camera.ProcAmpGet(m.code, &got, &flags));
        EXPECT_EQ(range.max, got);
        EXPECT_EQ(kProcAmpFlagManual, flags);
    }
}

TEST(ProcAmp, WhiteBalancePacksRedLowAndBlueHigh) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    ASSERT_EQ(kOk, camera.ProcAmpSet(kProcAmpWhiteBalance, 0x123064, kProcAmpFlagManual));
    EXPECT_EQ(0x123064u, Read(camera, 0x80C) & 0xFFFFFF);
    ASSERT_EQ(kOk, camera.WriteRegister(0x80C, kOnOff | 0x200 << 12 | 0x100));
    std::int32_t value = 0, flags = 0;
    ASSERT_EQ(kOk, camera.ProcAmpGet(kProcAmpWhiteBalance, &value, &flags));
    EXPECT_EQ(0x200100, value);
    ProcAmpRange range{};
    ASSERT_EQ(kOk, camera.ProcAmpGetRange(kProcAmpWhiteBalance, &range));
    EXPECT_EQ(1023, range.max);  // the range of one colour, not of the packed value
    // Either colour out of range, or bits above 23, is refused and changes nothing.
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpWhiteBalance, 0x400 << 12, kProcAmpFlagManual));
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpWhiteBalance, 0x1000001, kProcAmpFlagManual));
    EXPECT_EQ(0x200100u, Read(camera, 0x80C) & 0xFFFFFF);
}

TEST(ProcAmp, RefusesUnknownCodesBadValuesAndFlags) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    ProcAmpRange range{};
    EXPECT_EQ(kPropIdUnsupported, camera.ProcAmpGetRange(kProcAmpColorEnable, &range));
    EXPECT_EQ(kPropIdUnsupported, camera.ProcAmpGetRange(kProcAmpGain, &range));
    EXPECT_EQ(kPropIdUnsupported, camera.ProcAmpSet(-5, 0, kProcAmpFlagManual));
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpContrast, 681, kProcAmpFlagManual));
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpContrast, -1, kProcAmpFlagManual));
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpContrast, 5, 0));
    EXPECT_EQ(kInvalidArg, camera.ProcAmpSet(kProcAmpContrast, 5, kProcAmpFlagAuto | kProcAmpFlagManual));
    // Setting the integer value moves the absolute value with it.
    ASSERT_EQ(kOk, camera.ProcAmpSet(kProcAmpContrast, 680, kProcAmpFlagManual));
    EXPECT_EQ(0x41C00000u, Read(camera, 0x928));  // 24.0f
}

TEST(StreamFormats, CapabilitiesFollowTheSensor) {
    auto fourccs = [](const CameraModel& camera, bool format7) {
        std::set<std::uint32_t> set;
        for (const StreamCapability& cap : camera.StreamCapabilities()) {
            if (cap.format.format7 == format7) set.insert(cap.format.fourcc);
        }
        return set;
    };
    CameraModel bayer(*FindDeviceKind("bayer"), 1), yuv(*FindDeviceKind("yuv"), 2), mono(*FindDeviceKind("mono"), 3);
    EXPECT_EQ(19u, fourccs(bayer, false).size());  // all of the table
    EXPECT_EQ(7u, fourccs(yuv, false).size());     // no Bayer FOURCCs
    EXPECT_EQ((std::set<std::uint32_t>{MakeFourcc('Y', '8', '0', '0'), MakeFourcc('Z', 'K', 'V', 'Y'),
                                       MakeFourcc('Z', 'Y', '1', '6')}),
              fourccs(mono, false));
    // Format 7 offers every format of the modes' pixel sets; no RGB24.
    EXPECT_EQ(18u, fourccs(bayer, true).size());
    EXPECT_EQ(0u, fourccs(bayer, true).count(0));

    for (const StreamCapability& cap : bayer.StreamCapabilities()) {
        const FrameFormat* f = FindFrameFormat(cap.format.fourcc);
        ASSERT_NE(nullptr, f);
        EXPECT_NE(0u, FrameBytes(*f, cap.format.width, cap.format.height));
        EXPECT_EQ(kOk, bayer.CheckStreamFormat(cap.format)) << f->name << " " << cap.format.width;
        if (cap.format.format7) {
            EXPECT_EQ(1024u, cap.maxWidth);
            EXPECT_LT(cap.minWidth, cap.maxWidth);
        } else {
            EXPECT_EQ(cap.minWidth, cap.maxWidth);
        }
    }
}

TEST(StreamFormats, SetStreamFormatAcceptsOnlyWhatTheCameraOffers) {
    CameraModel mono(*FindDeviceKind("mono"), 3);
    StreamFormat f;
    f.fourcc = MakeFourcc('U', 'Y', 'V', 'Y');
    f.width = 640;
    f.height = 480;
    EXPECT_EQ(kInvalidMediaType, mono.SetStreamFormat(f));
    f.fourcc = MakeFourcc('R', 'G', 'B', '3');
    EXPECT_EQ(kInvalidMediaType, mono.SetStreamFormat(f));
    f.fourcc = MakeFourcc('Z', 'Y', '1', '6');
    f.width = 320;
    EXPECT_EQ(kInvalidMediaType, mono.SetStreamFormat(f));
    f.width = 800;
    f.height = 600;
    ASSERT_EQ(kOk, mono.SetStreamFormat(f));
    const StreamFormat current = mono.CurrentStreamFormat();
    EXPECT_EQ(f.fourcc, current.fourcc);
    EXPECT_EQ(800u, current.width);
    EXPECT_FALSE(current.format7);

    // A Format 7 region must suit the mode the camera is in.
    f = StreamFormat();
    f.format7 = true;
    f.fourcc = MakeFourcc('Y', '8', '0', '0');
    f.left = 8;
    f.top = 2;
    f.width = 640;
    f.height = 480;
    ASSERT_EQ(kOk, mono.SetStreamFormat(f));
    EXPECT_TRUE(mono.CurrentStreamFormat().format7);
    EXPECT_EQ(8u, mono.CurrentStreamFormat().left);
    f.left = 6;
    EXPECT_EQ(kInvalidMediaType, mono.SetStreamFormat(f));
    f.left = 400;
    EXPECT_EQ(kInvalidMediaType, mono.SetStreamFormat(f));
}
