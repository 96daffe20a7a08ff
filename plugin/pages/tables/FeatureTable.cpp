#include "FeatureTable.h"

#include <cstdio>

namespace zkv {

namespace {

constexpr FeatureInfo kFeatures[] = {
    {kFeatureBrightness, 0x800, 0x930, 0x934, 0x938, "%3.2f %%", 1.0},
    {kFeatureGain, 0x820, 0x920, 0x924, 0x928, "%3.2f dB", 1.0},
    {kFeatureHue, 0x810, 0x970, 0x974, 0x978, "%3.2f deg", 1.0},
    {kFeatureSaturation, 0x814, 0x980, 0x984, 0x988, "%3.2f %%", 1.0},
    {kFeatureSharpness, 0x808, 0, 0, 0, nullptr, 1.0},
    {kFeatureGamma, 0x818, 0x940, 0x944, 0x948, "%3.2f", 1.0},
    {kFeatureWhiteBalance, 0x80C, 0, 0, 0, nullptr, 1.0},
    // The shutter register counts seconds; the page shows milliseconds.
    {kFeatureShutter, 0x81C, 0x910, 0x914, 0x918, "%3.2f ms", 1000.0},
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
    return inquiry ? f->controlRegister - kInquiryDistance : f->controlRegister;
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
