// The power-on format an installer may give a camera: its text form, and a
// camera configured with it streaming in that format at that rate.
#include <gtest/gtest.h>

#include "VirtualDevice.h"

using namespace zkvsim;

namespace {

constexpr std::uint32_t Fourcc(const char (&s)[5]) {
    return MakeFourcc(s[0], s[1], s[2], s[3]);
}

TEST(StartFormatText, ParsesTheGivenFormsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool parses;
        std::uint32_t width, height;
        std::int64_t interval;
    };
    const Case cases[] = {
        {"RGB3:1280x960", true, 1280, 960, 0},
        {"ZY16:1280x960@7.5", true, 1280, 960, FrameIntervalOfRate(2)},
        {"UYVY:640x480@60", true, 640, 480, FrameIntervalOfRate(5)},
        {"Y800:640x480@1.875", true, 640, 480, FrameIntervalOfRate(0)},
        {"RGB3:1280x960@10", false, 0, 0, 0},   // not an IIDC rate
        {"RGB3:1280x960@", false, 0, 0, 0},
        {"RGB3:1280*960", false, 0, 0, 0},
        {"RGB3:0x960", false, 0, 0, 0},
        {"RGB3:1280x960x", false, 0, 0, 0},
        {"RGB31280x960", false, 0, 0, 0},
        {"RGB3:", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        StartFormat s;
        EXPECT_EQ(ParseStartFormat(c.text, &s), c.parses) << c.text;
        if (!c.parses) {
            EXPECT_FALSE(s.given) << c.text;
            continue;
        }
        EXPECT_TRUE(s.given);
        EXPECT_EQ(s.width, c.width) << c.text;
        EXPECT_EQ(s.height, c.height) << c.text;
        EXPECT_EQ(s.frameInterval, c.interval) << c.text;
        StartFormat back;
        ASSERT_TRUE(ParseStartFormat(FormatStartFormat(s), &back)) << FormatStartFormat(s);
        EXPECT_EQ(back.fourcc, s.fourcc);
        EXPECT_EQ(back.frameInterval, s.frameInterval);
    }
    StartFormat none;
    EXPECT_TRUE(ParseStartFormat("", &none));
    EXPECT_FALSE(none.given);
    EXPECT_EQ(FormatStartFormat(none), "");
}

TEST(StartFormat, EveryKindPowersOnIn1280x960OfItsOwnCoding) {
    struct Case {
        const char* kind;
        std::uint32_t fourcc;
    };
    const Case cases[] = {{"bayer", Fourcc("RGB3")}, {"yuv", Fourcc("UYVY")}, {"mono", Fourcc("ZY16")},
                          {"mono", Fourcc("Y800")}};
    for (const Case& c : cases) {
        DeviceSettings settings;
        settings.kind = c.kind;
        settings.start = {true, c.fourcc, 1280, 960, FrameIntervalOfRate(1)};
        VirtualDevice device(settings);
        const StreamFormat f = device.CurrentStreamFormat();
        EXPECT_EQ(f.fourcc, c.fourcc) << c.kind;
        EXPECT_EQ(f.width, 1280u) << c.kind;
        EXPECT_EQ(f.height, 960u) << c.kind;
        EXPECT_EQ(f.frameInterval, FrameIntervalOfRate(1)) << c.kind;
    }
    // The mono kind has no colour mode at that size.
    const CameraModel mono(*FindDeviceKind("mono"), 1);
    StartFormat s;
    ASSERT_TRUE(ParseStartFormat("UYVY:1280x960", &s));
    EXPECT_TRUE(Failed(mono.CheckStreamFormat(StreamFormatOf(s))));
}

}  // namespace
