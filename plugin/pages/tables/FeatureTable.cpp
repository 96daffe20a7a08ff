#include "FeatureTable.h"

#include <cstdio>

namespace zkv {

namespace {

namespace R = CameraRegister;

constexpr FeatureInfo kFeatures[] = {
    {kFeatureBrightness, R::BRIGHTNESS, R::ABS_BRIGHTNESS_MIN, R::ABS_BRIGHTNESS_MAX, R::ABS_BRIGHTNESS_VAL,
     "%3.2f %%", 1.0},
    {kFeatureGain, R::GAIN, R::ABS_GAIN_MIN, R::ABS_GAIN_MAX, R::ABS_GAIN_VAL, "%3.2f dB", 1.0},
    {kFeatureHue, R::HUE, R::ABS_HUE_MIN, R::ABS_HUE_MAX, R::ABS_HUE_VAL, "%3.2f deg", 1.0},
    {kFeatureSaturation, R::SATURATION, R::ABS_SATURATION_MIN, R::ABS_SATURATION_MAX, R::ABS_SATURATION_VAL,
     "%3.2f %%", 1.0},
    {kFeatureSharpness, R::SHARPNESS, 0, 0, 0, nullptr, 1.0},
    {kFeatureGamma, R::GAMMA, R::ABS_GAMMA_MIN, R::ABS_GAMMA_MAX, R::ABS_GAMMA_VAL, "%3.2f", 1.0},
    {kFeatureWhiteBalance, R::WHITE_BALANCE, 0, 0, 0, nullptr, 1.0},
    // The shutter register counts seconds; the page shows milliseconds.
    {kFeatureShutter, R::SHUTTER, R::ABS_SHUTTER_MIN, R::ABS_SHUTTER_MAX, R::ABS_SHUTTER_VAL, "%3.2f ms", 1000.0},
};

}  // namespace

const FeatureInfo* FindFeature(long code) {
    for (const FeatureInfo& f : kFeatures)
        if (f.code == code) return &f;
    return nullptr;
}

std::uint32_t FeatureRegister(long code, bool inquiry) {
    const FeatureInfo* f = FindFeature(code);
    if (!f) return 0;
    return inquiry ? f->controlRegister - kFeatureInquiryDistance : f->controlRegister;
}

bool HasAbsoluteTriple(long code) {
    const FeatureInfo* f = FindFeature(code);
    return f && f->absFormat;
}

void FormatAbsoluteValue(long code, char (&text)[kAbsoluteTextSize], float value) {
    const FeatureInfo* f = FindFeature(code);
    if (!f || !f->absFormat) {
        std::snprintf(text, sizeof text, "n/a");
        return;
    }
    std::snprintf(text, sizeof text, f->absFormat, static_cast<double>(value) * f->absDisplayScale);
}

}  // namespace zkv
