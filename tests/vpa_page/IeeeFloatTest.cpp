// The absolute value conversions: register bits to numbers and back (with a
// truncated mantissa), and numbers to slider positions and back.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "IeeeFloat.h"

namespace {

using zkv::AbsoluteToSliderPos;
using zkv::FloatToIeeeBits;
using zkv::IeeeBitsToFloat;
using zkv::SliderPosToAbsolute;

std::uint32_t BitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// The hardware's own conversion with rounding toward zero: the independent
// reference for the truncating encoder.
std::uint32_t TowardZeroBits(double x) {
    const int saved = std::fegetround();
    std::fesetround(FE_TOWARDZERO);
    volatile double in = x;
    volatile float out = static_cast<float>(in);
    std::fesetround(saved);
    return BitsOf(out);
}

TEST(IeeeBitsToFloat, DecodesNormalsDenormalsAndSpecials) {
    EXPECT_EQ(IeeeBitsToFloat(0x3F800000), 1.0f);
    EXPECT_EQ(IeeeBitsToFloat(0xC0200000), -2.5f);
    EXPECT_EQ(IeeeBitsToFloat(0x00000000), 0.0f);
    EXPECT_EQ(IeeeBitsToFloat(0x80000000), 0.0f);
    EXPECT_EQ(IeeeBitsToFloat(0x00000001), std::ldexp(1.0f, -149));
    EXPECT_EQ(IeeeBitsToFloat(0x807FFFFF), -std::ldexp(static_cast<float>(0x7FFFFF), -149));
    EXPECT_EQ(IeeeBitsToFloat(0x7F7FFFFF), FLT_MAX);
    EXPECT_EQ(IeeeBitsToFloat(0x7F800000), 99999.0f);
    EXPECT_EQ(IeeeBitsToFloat(0x7FC00000), 99999.0f);
    EXPECT_EQ(IeeeBitsToFloat(0xFFC00000), 99999.0f);  // a negative NaN is still a NaN
    EXPECT_EQ(IeeeBitsToFloat(0xFF800000), -99999.0f);
}

TEST(IeeeBitsToFloat, AgreesWithTheMachineForEveryFiniteSample) {
    std::mt19937 rng(1234);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = rng();
        if (((bits >> 23) & 0xFF) == 0xFF) continue;
        float expected;
        std::memcpy(&expected, &bits, sizeof expected);
        ASSERT_EQ(BitsOf(IeeeBitsToFloat(bits)), BitsOf(expected) & (expected == 0 ? 0 : ~0u))
            << std::hex << bits;
    }
}

TEST(FloatToIeeeBits, TruncatesTheMantissa) {
    EXPECT_EQ(FloatToIeeeBits(0.1), 0x3DCCCCCCu);
    EXPECT_EQ(FloatToIeeeBits(1.0), 0x3F800000u);
    EXPECT_EQ(FloatToIeeeBits(-2.5), 0xC0200000u);
    EXPECT_EQ(FloatToIeeeBits(0.0), 0u);
    EXPECT_EQ(FloatToIeeeBits(-0.0), 0u);
    EXPECT_EQ(FloatToIeeeBits(99999.0), 0x47C34F80u);
}

TEST(FloatToIeeeBits, MatchesRoundingTowardZeroOverTheWholeRange) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> mantissa(0.5, 1.0);
    std::uniform_int_distribution<int> exponent(-160, 140);
    for (int i = 0; i < 200000; ++i) {
        double x = std::ldexp(mantissa(rng), exponent(rng));
        if (i & 1) x = -x;
        ASSERT_EQ(FloatToIeeeBits(x), TowardZeroBits(x)) << x;
    }
    // Out of range: the largest finite value, not bits spilling into the sign.
    EXPECT_EQ(FloatToIeeeBits(1e39), 0x7F7FFFFFu);
    EXPECT_EQ(FloatToIeeeBits(-1e300), 0xFF7FFFFFu);
    EXPECT_EQ(FloatToIeeeBits(1e-50), 0u);
    EXPECT_EQ(FloatToIeeeBits(HUGE_VAL), 0x7F800000u);
    EXPECT_EQ(FloatToIeeeBits(-HUGE_VAL), 0xFF800000u);
    EXPECT_EQ(FloatToIeeeBits(std::nan("")) & 0x7FC00000u, 0x7FC00000u);
}

TEST(FloatToIeeeBits, RoundTripsEveryFiniteRegisterValue) {
    std::mt19937 rng(42);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = rng();
        if (((bits >> 23) & 0xFF) == 0xFF || (bits & 0x7FFFFFFF) == 0) continue;
        ASSERT_EQ(FloatToIeeeBits(IeeeBitsToFloat(bits)), bits) << std::hex << bits;
    }
}

TEST(AbsoluteSlider, MapsValuesToPositionsWithClamping) {
    EXPECT_EQ(AbsoluteToSliderPos(0.0f, 1.0f, 0.5f), 500);
    EXPECT_EQ(AbsoluteToSliderPos(0.0f, 1.0f, -3.0f), 0);
    EXPECT_EQ(AbsoluteToSliderPos(0.0f, 1.0f, 7.0f), 1000);
    EXPECT_EQ(AbsoluteToSliderPos(5.0f, 5.0f, 5.0f), 0);
    EXPECT_EQ(AbsoluteToSliderPos(6.0f, 5.0f, 5.5f), 0);
    EXPECT_EQ(AbsoluteToSliderPos(-FLT_MAX, FLT_MAX, FLT_MAX), 1000);
    EXPECT_EQ(AbsoluteToSliderPos(0.0f, 1e-30f, 99999.0f), 1000);
    // Truncation, not rounding.
    EXPECT_EQ(AbsoluteToSliderPos(0.0f, 3.0f, 2.0f), 666);
}

TEST(AbsoluteSlider, MapsPositionsToValuesAndBack) {
    EXPECT_EQ(SliderPosToAbsolute(5.0f, 5.0f, 700), 0.0f);
    EXPECT_EQ(SliderPosToAbsolute(6.0f, 5.0f, 700), 0.0f);
    EXPECT_EQ(SliderPosToAbsolute(0.0f, 1.0f, 500), 0.5f);
    EXPECT_EQ(SliderPosToAbsolute(-10.0f, 10.0f, 0), -10.0f);
    EXPECT_EQ(SliderPosToAbsolute(-10.0f, 10.0f, 1000), 10.0f);
    // The fraction is single precision: 0.001f, not 0.001.
    EXPECT_EQ(SliderPosToAbsolute(0.0f, 1000.0f, 1), static_cast<float>(1000.0 * 0.001f));
    for (int p = 0; p <= 1000; ++p) {
        const float v = SliderPosToAbsolute(0.0f, 1000.0f, p);
        EXPECT_NEAR(AbsoluteToSliderPos(0.0f, 1000.0f, v), p, 1) << p;
    }
}

}  // namespace
