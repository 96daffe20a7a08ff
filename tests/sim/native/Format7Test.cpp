// Format 7 answers and the region rules the camera enforces.
#include <gtest/gtest.h>

#include "CameraModel.h"

using namespace zkvsim;

namespace {

Format7Request Query(const CameraModel& camera, std::uint32_t mode) {
    Format7Request request{};
    request.mode = mode;
    EXPECT_EQ(kOk, camera.GetFormat7(&request));
    return request;
}

Format7Request Region(std::uint32_t mode, std::uint32_t left, std::uint32_t top, std::uint32_t width,
                      std::uint32_t height, std::uint32_t pixelFormat, std::uint32_t speed = 100) {
    Format7Request r{};
    r.mode = mode;
    r.left = left;
    r.top = top;
    r.width = width;
    r.height = height;
    r.pixelFormat = pixelFormat;
    r.speed = speed;
    return r;
}

}  // namespace

TEST(Format7, ModesAnswerTheirGeometryAndOnlyKnownModesAreAvailable) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    const Format7Request mode0 = Query(camera, 0);
    EXPECT_EQ(1u, mode0.modeAvailable);
    EXPECT_EQ(1024u, mode0.maxWidth);
    EXPECT_EQ(768u, mode0.maxHeight);
    EXPECT_EQ(4u, mode0.horizontalUnit);
    EXPECT_EQ(2u, mode0.verticalUnit);
    EXPECT_TRUE(mode0.supportedPixelFormats & ZKV_PIXEL_RAW8);
    EXPECT_EQ(ZKV_PIXEL_RAW8, mode0.pixelFormat);
    EXPECT_EQ(1024u, mode0.width);
    EXPECT_EQ(768u, mode0.height);
    for (std::uint32_t m = 3; m < 8; ++m) {
        const Format7Request absent = Query(camera, m);
        EXPECT_EQ(0u, absent.modeAvailable) << m;
        EXPECT_EQ(0u, absent.maxWidth);
        EXPECT_EQ(0u, absent.width);
        EXPECT_EQ(0u, absent.supportedPixelFormats);
    }
    EXPECT_EQ(0u, Query(camera, 1000).modeAvailable);
    // V_MODE_INQ_7 names the available modes.
    std::uint32_t inq = 0;
    ASSERT_EQ(kOk, camera.ReadRegister(0x180 + 4 * 7, &inq));
    EXPECT_EQ(0xE0000000u, inq);

    CameraModel mono(*FindDeviceKind("mono"), 2);
    EXPECT_FALSE(Query(mono, 0).supportedPixelFormats & ZKV_PIXEL_RAW8);
    EXPECT_EQ(0u, Query(mono, 2).modeAvailable);
}

TEST(Format7, SetFormat7ProgramsTheModeAndSwitchesTheCamera) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    ASSERT_EQ(kOk, camera.SetFormat7(Region(1, 8, 4, 320, 240, ZKV_PIXEL_MONO8, 50)));
    std::uint32_t format = 0, mode = 0;
    camera.ReadRegister(kRegCurVFormat, &format);
    camera.ReadRegister(kRegCurVMode, &mode);
    EXPECT_EQ(0xE0000000u, format);
    EXPECT_EQ(1u << 29, mode);
    const Format7Request answer = Query(camera, 1);
    EXPECT_EQ(8u, answer.left);
    EXPECT_EQ(4u, answer.top);
    EXPECT_EQ(320u, answer.width);
    EXPECT_EQ(240u, answer.height);
    EXPECT_EQ(50u, answer.speed);
    EXPECT_EQ(ZKV_PIXEL_MONO8, answer.pixelFormat);

    const StreamFormat current = camera.CurrentStreamFormat();
    EXPECT_TRUE(current.format7);
    EXPECT_EQ(MakeFourcc('Y', '8', '0', '0'), current.fourcc);
    EXPECT_EQ(320u, current.width);
    EXPECT_EQ(512u, current.sceneWidth);
}

TEST(Format7, RefusesWhatTheCameraCannotDo) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    const Format7Request before = Query(camera, 0);
    // Mode 0: units 4 x 2, 1024 x 768.
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 2, 0, 640, 480, ZKV_PIXEL_RAW8)));    // left unit
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 1, 640, 480, ZKV_PIXEL_RAW8)));    // top unit
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 642, 480, ZKV_PIXEL_RAW8)));    // width unit
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 0, 480, ZKV_PIXEL_RAW8)));      // empty
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 1028, 480, ZKV_PIXEL_RAW8)));   // too wide
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 400, 0, 640, 480, ZKV_PIXEL_RAW8)));  // off the edge
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0xFFFFFFFCu, 0, 8, 480, ZKV_PIXEL_RAW8)));  // wraps
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 640, 480, 0x100)));              // unknown code
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_RAW8 | ZKV_PIXEL_MONO8)));
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(1, 0, 0, 320, 240, ZKV_PIXEL_RAW8)));     // not in mode 1
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_RAW8, 0)));  // speed
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_RAW8, 101)));
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(3, 0, 0, 640, 480, ZKV_PIXEL_MONO8)));    // unavailable
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(9, 0, 0, 640, 480, ZKV_PIXEL_MONO8)));
    // A refusal changes nothing.
    const Format7Request after = Query(camera, 0);
    EXPECT_EQ(before.width, after.width);
    EXPECT_EQ(before.pixelFormat, after.pixelFormat);
    std::uint32_t format = 1;
    camera.ReadRegister(kRegCurVFormat, &format);
    EXPECT_EQ(0u, format);
    // The region may end exactly at the sensor's edge.
    EXPECT_EQ(kOk, camera.SetFormat7(Region(0, 384, 288, 640, 480, ZKV_PIXEL_RAW8)));
}

TEST(Format7, ModesCanBeTakenAwayAndGiven) {
    CameraModel camera(*FindDeviceKind("yuv"), 1);
    ASSERT_EQ(kOk, camera.SetFormat7ModeAvailable(0, false));
    EXPECT_EQ(0u, Query(camera, 0).modeAvailable);
    EXPECT_EQ(kInvalidArg, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_MONO8)));
    std::uint32_t inq = 0;
    camera.ReadRegister(0x180 + 4 * 7, &inq);
    EXPECT_EQ(0x60000000u, inq);
    // A mode the kind never had comes up as the full sensor in 8-bit mono.
    ASSERT_EQ(kOk, camera.SetFormat7ModeAvailable(5, true));
    const Format7Request mode5 = Query(camera, 5);
    EXPECT_EQ(1u, mode5.modeAvailable);
    EXPECT_EQ(ZKV_PIXEL_MONO8, mode5.supportedPixelFormats);
    EXPECT_EQ(kInvalidArg, camera.SetFormat7ModeAvailable(8, true));
}

TEST(Format7, AStreamingCameraKeepsItsFormatButNotItsRate) {
    CameraModel camera(*FindDeviceKind("bayer"), 1);
    camera.SetStreaming(true);
    std::uint32_t isoEn = 0;
    camera.ReadRegister(kRegIsoEn, &isoEn);
    EXPECT_EQ(0x80000000u, isoEn);
    EXPECT_EQ(kBusy, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_RAW8)));
    EXPECT_EQ(kBusy, camera.WriteRegister(kRegCurVFormat, 7u << 29));
    EXPECT_EQ(kBusy, camera.WriteRegister(kRegCurVMode, 3u << 29));
    EXPECT_EQ(kOk, camera.WriteRegister(kRegCurVMode, 5u << 29));  // unchanged
    EXPECT_EQ(kOk, camera.WriteRegister(kRegCurVFrmRate, 4u << 29));
    StreamFormat f = camera.CurrentStreamFormat();
    f.frameInterval = FrameIntervalOfRate(1);
    EXPECT_EQ(kOk, camera.SetStreamFormat(f));
    EXPECT_EQ(FrameIntervalOfRate(1), camera.FrameInterval());
    f.fourcc = MakeFourcc('Y', '8', '0', '0');
    EXPECT_EQ(kBusy, camera.SetStreamFormat(f));
    camera.SetStreaming(false);
    EXPECT_EQ(kOk, camera.SetFormat7(Region(0, 0, 0, 640, 480, ZKV_PIXEL_RAW8)));
}
