// The image features of the video proc amp page: which camera registers hold
// each one and how its absolute value is shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ZKVRegisters.h"

namespace zkv {

// Feature codes are the VideoProcAmpProperty values the driver reports them
// under (gain as Contrast, shutter as BacklightCompensation).
enum FeatureCode : long {
    kFeatureBrightness = 0,
    kFeatureGain = 1,
    kFeatureHue = 2,
    kFeatureSaturation = 3,
    kFeatureSharpness = 4,
    kFeatureGamma = 5,
    kFeatureWhiteBalance = 7,
    kFeatureShutter = 8,
};

struct FeatureInfo {
    long code;
    std::uint32_t controlRegister;
    // Absolute value registers (IEEE single precision); 0 when there are none.
    std::uint32_t absMin, absMax, absVal;
    const char* absFormat;     // printf format of the absolute value, or null
    double absDisplayScale;    // the shown number is the value times this
};

// The feature of a code, or null for a code the page does not show.
const FeatureInfo* FindFeature(long code);

// Control register of a feature, or its inquiry register when inquiry is set;
// 0 for an unknown code.
std::uint32_t FeatureRegister(long code, bool inquiry);

bool HasAbsoluteTriple(long code);

// The absolute value as the row shows it, or "n/a" for a feature without an
// absolute scale.
constexpr std::size_t kAbsoluteTextSize = 64;
void FormatAbsoluteValue(long code, char (&text)[kAbsoluteTextSize], float value);

}  // namespace zkv
