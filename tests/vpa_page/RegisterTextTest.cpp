// The register editor's text rules and the feature rows' absolute value text.
#include <gtest/gtest.h>

#include <string>

#include "FeatureTable.h"
#include "RegisterText.h"

namespace {

using zkv::ComposeRegisterValue;
using zkv::ParseRegisterAddress;

std::uint32_t Compose(const char* a, const char* b, const char* c, const char* d) {
    const char* fields[4] = {a, b, c, d};
    return ComposeRegisterValue(fields);
}

TEST(RegisterAddressText, ReadsAtMostEightHexCharacters) {
    EXPECT_EQ(ParseRegisterAddress("1F20"), 0x1F20u);
    EXPECT_EQ(ParseRegisterAddress("F0F00800"), 0xF0F00800u);
    EXPECT_EQ(ParseRegisterAddress("0xF0F00800"), 0xF0F008u);
    EXPECT_EQ(ParseRegisterAddress(""), 0u);
    EXPECT_EQ(ParseRegisterAddress("zz"), 0u);
    EXPECT_EQ(ParseRegisterAddress("  80g2"), 0x80u);
    EXPECT_EQ(ParseRegisterAddress("0x"), 0u);
    EXPECT_EQ(ParseRegisterAddress("-800"), 0xFFFFF800u);
}

TEST(RegisterValueText, ComposesTheByteFields) {
    EXPECT_EQ(Compose("3F", "80", "0", "0"), 0x3F800000u);
    EXPECT_EQ(Compose("", "x", " 1", "0x2"), 0x00000102u);
    EXPECT_EQ(Compose("de", "ad", "be", "ef"), 0xDEADBEEFu);
    // Wide fields lengthen the joined text instead of being masked.
    EXPECT_EQ(Compose("1FF", "0", "0", "0"), 0xFFFFFFFFu);
    EXPECT_EQ(Compose("0", "0", "0", "1FF"), 0x000001FFu);
    EXPECT_EQ(Compose("0", "123", "0", "0"), 0x01230000u);  // "0x" "00" "123" "00" "00"
    // Field texts far beyond a byte: no overrun, overflow gives all ones.
    EXPECT_EQ(Compose("FFFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFF", "FFFFFFFF", "FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(Compose("-1", "0", "0", "0"), 0xFFFFFFFFu);
    const std::string longField(200, '7');
    EXPECT_EQ(Compose("0", "0", "0", longField.c_str()), 0xFFFFFFFFu);
}

TEST(RegisterValueText, ShowsBytesAndFloat) {
    char text[zkv::kRegisterTextSize];
    const char* expected[] = {"3D", "CC", "0A", "05"};
    for (int field = 0; field < 4; ++field) {
        zkv::FormatRegisterByte(0x3DCC0A05u, field, text);
        EXPECT_STREQ(text, expected[field]);
    }
    zkv::FormatRegisterFloat(0x3F800000u, text);
    EXPECT_STREQ(text, "1.000000");
    zkv::FormatRegisterFloat(0x7F800000u, text);
    EXPECT_STREQ(text, "99999.000000");
    zkv::FormatRegisterFloat(0xFF800000u, text);
    EXPECT_STREQ(text, "-99999.000000");
    zkv::FormatRegisterFloat(0x7F7FFFFFu, text);  // the widest text there is
    EXPECT_EQ(std::string(text).substr(0, 6), "340282");
    EXPECT_DOUBLE_EQ(zkv::ParseFloatText("0.1"), 0.1);
    EXPECT_DOUBLE_EQ(zkv::ParseFloatText("  -2.5xyz"), -2.5);
    EXPECT_DOUBLE_EQ(zkv::ParseFloatText("abc"), 0.0);
    const std::string longText = "1" + std::string(126, '0') + "5";  // the 5 is cut off
    EXPECT_DOUBLE_EQ(zkv::ParseFloatText(longText.c_str()), 1e126);
}

TEST(FeatureTable, AbsoluteValueText) {
    char text[zkv::kAbsoluteTextSize];
    zkv::FormatAbsoluteValue(zkv::kFeatureShutter, text, 0.005f);
    EXPECT_STREQ(text, "5.00 ms");
    zkv::FormatAbsoluteValue(zkv::kFeatureGain, text, 6.0f);
    EXPECT_STREQ(text, "6.00 dB");
    zkv::FormatAbsoluteValue(zkv::kFeatureHue, text, -10.0f);
    EXPECT_STREQ(text, "-10.00 deg");
    zkv::FormatAbsoluteValue(zkv::kFeatureBrightness, text, 12.5f);
    EXPECT_STREQ(text, "12.50 %");
    zkv::FormatAbsoluteValue(zkv::kFeatureGamma, text, 1.0f);
    EXPECT_STREQ(text, "1.00");
    zkv::FormatAbsoluteValue(zkv::kFeatureSharpness, text, 1.0f);
    EXPECT_STREQ(text, "n/a");
    zkv::FormatAbsoluteValue(zkv::kFeatureShutter, text, 3.0e38f);  // no overrun
    EXPECT_EQ(std::string(text).substr(std::string(text).size() - 3), " ms");
}

TEST(FeatureTable, RegistersOfTheCodes) {
    EXPECT_EQ(zkv::FeatureRegister(zkv::kFeatureGain, false), 0x820u);
    EXPECT_EQ(zkv::FeatureRegister(zkv::kFeatureGain, true), 0x520u);
    EXPECT_EQ(zkv::FeatureRegister(zkv::kFeatureShutter, true), 0x51Cu);
    EXPECT_EQ(zkv::FeatureRegister(6, false), 0u);
    EXPECT_FALSE(zkv::HasAbsoluteTriple(zkv::kFeatureWhiteBalance));
    EXPECT_FALSE(zkv::HasAbsoluteTriple(zkv::kFeatureSharpness));
    EXPECT_TRUE(zkv::HasAbsoluteTriple(zkv::kFeatureGamma));
}

}  // namespace
