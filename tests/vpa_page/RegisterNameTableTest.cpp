// The register name table against the rules that define it: the expected
// names are generated from the rules, not copied from the table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "RegisterNameTable.h"

namespace {

using zkv::LookupRegisterName;

std::string Numbered(const char* pattern, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// offset -> name for every named register, built from the rules.
std::map<std::uint32_t, std::string> ExpectedNames() {
    std::map<std::uint32_t, std::string> names;
    auto sequence = [&](std::uint32_t base, std::initializer_list<const char*> list) {
        for (const char* n : list) {
            names[base] = n;
            base += 4;
        }
    };
    sequence(0x000, {"INITIALIZE"});
    sequence(0x100, {"V_FORMAT_INQ"});
    for (int n = 0; n <= 7; ++n) names[0x180 + 4 * n] = Numbered("V_MODE_INQ_%d", n);
    for (int f : {0, 1, 2, 5})
        for (int m = 0; m <= 7; ++m) names[0x200 + 0x20 * f + 4 * m] = Numbered("V_RATE_INQ_%d_%d", f, m);
    for (int m = 3; m <= 7; ++m) names[0x2E0 + 4 * m] = Numbered("V_CSR_INQ_7_%d", m);
    sequence(0x400, {"BASIC_FUNC_INQ", "FEATURE_HI_INQ", "FEATURE_LO_INQ", "OPT_FUNCTION_INQ"});
    sequence(0x480, {"ADVANCED_FEATURE_INQ", "PIO_CONTROL_CSR_INQ", "SIO_CONTROL_CSR_INQ",
                     "STROBE_OUTPUT_CSR_INQ"});
    const char* features[] = {"BRIGHTNESS", "AUTO_EXPOSURE", "SHARPNESS", "WHITE_BALANCE",
                              "HUE", "SATURATION", "GAMMA", "SHUTTER", "GAIN", "IRIS", "FOCUS",
                              "TEMPERATURE", "TRIGGER", "TRIGGER_DLY", "WHITE_SHD", "FRAME_RATE"};
    const char* controls[] = {"BRIGHTNESS", "AUTO_EXPOSURE", "SHARPNESS", "WHITE_BALANCE",
                              "HUE", "SATURATION", "GAMMA", "SHUTTER", "GAIN", "IRIS", "FOCUS",
                              "TEMPERATURE", "TRIGGER_MODE", "TRIGGER_DELAY", "WHITE_SHADING",
                              "FRAME_RATE"};
    for (int i = 0; i < 16; ++i) {
        names[0x500 + 4 * i] = std::string(features[i]) + "_INQ";
        names[0x500 + 4 * i + 0x300] = controls[i];
    }
    const char* optical[] = {"ZOOM", "PAN", "TILT", "OPTICAL_FILTER"};
    for (int i = 0; i < 4; ++i) {
        names[0x580 + 4 * i] = std::string(optical[i]) + "_INQ";
        names[0x880 + 4 * i] = optical[i];
    }
    sequence(0x5C0, {"CAPTURE_SIZE_INQ", "CAPTURE_QUALITY_INQ"});
    sequence(0x8C0, {"CAPTURE_SIZE", "CAPTURE_QUALITY"});
    sequence(0x600, {"CUR_V_FRM_RATE", "CUR_V_MODE", "CUR_V_FORMAT", "ISO_CHANNEL_ISO_SPEED",
                     "CAMERA_POWER", "ISO_EN", "MEMORY_SAVE", "ONE_SHOT", "MEM_SAVE_CH",
                     "CUR_MEM_CH", "VMODE_ERROR_STATUS", "SOFTWARE_TRIGGER", "DATA_DEPTH"});
    for (int n = 0; n <= 15; ++n) names[0x700 + 4 * n] = Numbered("ABS_CSR_HI_INQ_%d", n);
    for (int n : {0, 1, 2, 3, 16, 17}) names[0x780 + 4 * n] = Numbered("ABS_CSR_LO_INQ_%d", n);
    const char* absolute[] = {"AUTO_EXPOSURE", "SHUTTER", "GAIN", "BRIGHTNESS", "GAMMA",
                              "TRIGGER_DELAY", "FRAME_RATE", "HUE", "SATURATION"};
    for (int k = 0; k < 9; ++k) {
        const std::uint32_t base = 0x900 + 0x10 * k;
        names[base] = std::string("ABS_") + absolute[k] + "_MIN";
        names[base + 4] = std::string("ABS_") + absolute[k] + "_MAX";
        names[base + 8] = std::string("ABS_") + absolute[k] + "_VAL";
    }
    sequence(0x1028, {"EXTENDED_SHUTTER", "SOFT_ASYNC_TRIGGER"});
    sequence(0x1040, {"BAYER_TILE_MAPPING", "BAYER_TILE_GAIN", "IMAGE_DATA_FORMAT", "TEST_PATTERN"});
    names[0x1088] = "AUTO_EXPOSURE_RANGE";
    names[0x1098] = "AUTO_SHUTTER_RANGE";
    names[0x10A0] = "AUTO_GAIN_RANGE";
    sequence(0x1100, {"GPIO_CONTROL", "GPIO_XTRA", "SHUTTER_DELAY", "GPIO_STRPAT_CTRL"});
    for (int p = 0; p <= 3; ++p) {
        const std::uint32_t base = 0x1110 + 0x10 * p;
        names[base] = Numbered("GPIO_CTRL_PIN_%d", p);
        names[base + 4] = Numbered("GPIO_XTRA_PIN_%d", p);
        names[base + 8] = Numbered("GPIO_STRPAT_MASK_PIN_%d", p);
    }
    sequence(0x11F0, {"PIO_OUTPUT", "PIO_INPUT", "PIO_DIRECTION"});
    sequence(0x1240, {"FRAMETIME_FLASHCTRL", "SYNCOFFSET_FLASHDATA"});
    names[0x12E8] = "IMAGE_RETRANSMIT";
    sequence(0x12F8, {"FRAME_INFO", "XMIT_FAILURE", "STROBE_CTRL_INQ"});
    for (int s = 0; s <= 3; ++s) {
        names[0x1400 + 4 * s] = Numbered("STROBE_%d_INQ", s);
        names[0x1500 + 4 * s] = Numbered("STROBE_%d_CNT", s);
    }
    sequence(0x1A40, {"LUT_LO_INQ", "LUT_HI_INQ"});
    sequence(0x1A50, {"VOLTAGE_LO_INQ", "VOLTAGE_HI_INQ"});
    sequence(0x1A70, {"AE_ROI_CTRL", "AE_ROI_OFFSET"});
    sequence(0x1AF0, {"PIXEL_CLOCK_FREQ", "HORIZONTAL_LINE_FREQ"});
    sequence(0x1F20, {"SERIAL_NUMBER", "MAIN_BOARD_INFO", "SENSOR_BOARD_INFO"});
    names[0x1F40] = "BUILD_TIMESTAMP";
    sequence(0x1F60, {"FIRMWARE_VERSION", "FIRMWARE_BUILD_DATE"});
    for (int k = 1; k <= 6; ++k) names[0x1F64 + 4 * k] = Numbered("FIRMWARE_STRING_%d", k);
    return names;
}

TEST(RegisterNameTable, EveryEntryFollowsTheRows) {
    const auto expected = ExpectedNames();
    ASSERT_EQ(expected.size(), 223u);
    int named = 0;
    for (std::uint32_t i = 0; i < zkv::kRegisterNameCount; ++i) {
        const std::uint32_t offset = 4 * i;
        const char* name = zkv::RegisterNameEntry(i);
        ASSERT_NE(name, nullptr) << std::hex << offset;
        const auto it = expected.find(offset);
        if (it == expected.end()) {
            // Unnamed entries share the one "Unknown" string.
            EXPECT_EQ(name, zkv::kUnknownRegisterName) << std::hex << offset;
        } else {
            EXPECT_STREQ(name, it->second.c_str()) << std::hex << offset;
            ++named;
        }
        EXPECT_STREQ(LookupRegisterName(offset), name);
    }
    EXPECT_EQ(named, 223);
    EXPECT_STREQ(zkv::kUnknownRegisterName, "Unknown");
    EXPECT_STREQ(zkv::kInvalidRegisterName, "Invalid Register");
}

TEST(RegisterNameTable, LookupIgnoresUpperBitsAndTestsAlignmentBeforeBound) {
    EXPECT_STREQ(LookupRegisterName(0x0000), "INITIALIZE");
    EXPECT_STREQ(LookupRegisterName(0x0004), "Unknown");
    EXPECT_STREQ(LookupRegisterName(0x0802), "Invalid Register");
    EXPECT_STREQ(LookupRegisterName(0xFFFFFFFF), "Invalid Register");
    EXPECT_EQ(LookupRegisterName(0x2000), zkv::RegisterNameEntry(0x2000 / 4));
    EXPECT_STREQ(LookupRegisterName(0x2000), "Unknown");
    EXPECT_STREQ(LookupRegisterName(0x2004), "Unknown");
    EXPECT_STREQ(LookupRegisterName(0x7FFC), "Unknown");
    EXPECT_STREQ(LookupRegisterName(0xFFFC), "Unknown");
    EXPECT_STREQ(LookupRegisterName(0x2002), "Invalid Register");
    EXPECT_STREQ(LookupRegisterName(0xF0F00800), "BRIGHTNESS");
    EXPECT_STREQ(LookupRegisterName(0x00010800), "BRIGHTNESS");
    EXPECT_STREQ(LookupRegisterName(0x00011F20), "SERIAL_NUMBER");
    EXPECT_STREQ(LookupRegisterName(0xFFFF0000), "INITIALIZE");
    // Every misaligned offset in and beyond the table's range.
    for (std::uint32_t offset = 0; offset <= 0xFFFF; ++offset) {
        if ((offset & 3) == 0) continue;
        ASSERT_STREQ(LookupRegisterName(offset | 0x12340000), "Invalid Register");
    }
    // Gaps inside the rows.
    for (std::uint32_t offset : {0x2E8u, 0x90Cu, 0x12ECu, 0x12F0u, 0x12F4u, 0x1F2Cu, 0x1F44u,
                                 0x260u, 0x2C0u, 0x790u, 0x7BCu, 0x111Cu})
        EXPECT_STREQ(LookupRegisterName(offset), "Unknown") << std::hex << offset;
}

}  // namespace
