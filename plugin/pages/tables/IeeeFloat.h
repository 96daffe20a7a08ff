// Conversions between the camera's IEEE 754 single-precision absolute value
// registers and the page's numbers and slider positions.
#pragma once

#include <cstdint>

namespace zkv {

// The absolute scale of every slider: positions 0 to 1000 span MIN to MAX.
constexpr int kAbsoluteSliderMax = 1000;

// What a register holding an infinity or a NaN reads as.
constexpr float kAbsoluteOutOfRange = 99999.0f;

// Decodes register bits; +inf and every NaN give 99999, -inf gives -99999.
float IeeeBitsToFloat(std::uint32_t bits);

// Encodes a number for a register, truncating the mantissa (rounding toward
// zero), so 0.1 gives 0x3DCCCCCC. Numbers beyond the single-precision range
// give the largest finite value of their sign, numbers below the normal range
// a denormal (or zero), infinities an infinity and NaN the quiet NaN.
std::uint32_t FloatToIeeeBits(double value);

// Slider position 0..1000 of an absolute value within [min, max]; 0 when the
// range is empty or reversed.
int AbsoluteToSliderPos(float min, float max, float value);

// Absolute value of a slider position; 0 when the range is empty or reversed.
float SliderPosToAbsolute(float min, float max, int position);

}  // namespace zkv
