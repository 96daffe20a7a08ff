#include "IeeeFloat.h"

#include <cmath>

namespace zkv {

namespace {
constexpr std::uint32_t kSignBit = 0x80000000u;
constexpr std::uint32_t kExponentMask = 0xFFu;
constexpr std::uint32_t kMantissaMask = 0x007FFFFFu;
constexpr std::uint32_t kLargestFinite = 0x7F7FFFFFu;
constexpr std::uint32_t kInfinity = 0x7F800000u;
constexpr std::uint32_t kQuietNaN = 0x7FC00000u;
}  // namespace

float IeeeBitsToFloat(std::uint32_t bits) {
    const bool negative = (bits & kSignBit) != 0;
    const std::uint32_t e = (bits >> 23) & kExponentMask;
    const std::uint32_t m = bits & kMantissaMask;
    if (e == 255) return (m == 0 && negative) ? -kAbsoluteOutOfRange : kAbsoluteOutOfRange;
    double magnitude;
    if (e == 0) {
        if (m == 0) return 0.0f;
        magnitude = std::ldexp(static_cast<double>(m), -149);
    } else {
        magnitude = std::ldexp(static_cast<double>(m + 0x800000u), static_cast<int>(e) - 150);
    }
    return static_cast<float>(negative ? -magnitude : magnitude);
}

std::uint32_t FloatToIeeeBits(double value) {
    if (value == 0.0) return 0;
    if (std::isnan(value)) return kQuietNaN;
    const std::uint32_t sign = value < 0 ? kSignBit : 0;
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude)) return sign | kInfinity;
    int k = 0;
    const double f = std::frexp(magnitude, &k);  // magnitude = f * 2^k, 0.5 <= f < 1
    const int biased = k + 126;
    if (biased >= 255) return sign | kLargestFinite;
    if (biased <= 0) {
        // Below the normal range: a denormal, m * 2^-149, truncated.
        const double m = std::trunc(std::ldexp(magnitude, 149));
        return sign | static_cast<std::uint32_t>(m);
    }
    const auto mantissa = static_cast<std::uint32_t>(std::trunc(f * 16777216.0 - 8388608.0));
    return (static_cast<std::uint32_t>(biased) << 23) | mantissa | sign;
}

int AbsoluteToSliderPos(float min, float max, float value) {
    const long double d = static_cast<long double>(max) - min;
    if (!(d > 0)) return 0;
    const long double pos = std::trunc((value - static_cast<long double>(min)) / d * 1000.0L);
    if (!(pos > 0)) return 0;
    if (pos > kAbsoluteSliderMax) return kAbsoluteSliderMax;
    return static_cast<int>(pos);
}

float SliderPosToAbsolute(float min, float max, int position) {
    const double d = static_cast<double>(max) - min;
    if (!(d > 0)) return 0.0f;
    const float fraction = static_cast<float>(position / 1000.0);
    return static_cast<float>(min + d * fraction);
}

}  // namespace zkv
