#include "FeatureTable.h"

namespace zkvsim {
namespace {

constexpr std::uint32_t kFull = kPresenceInq | kOnOffInq | kAutoInq | kManualInq;

// Absent features have no row: their inquiry and control registers read 0.
constexpr FeatureRow kRows[] = {
    {"BRIGHTNESS", 0x800, kFull | kAbsControlInq | kReadOutInq, 0, 255, 64, 0, kOnOff, 0x930, 0.0f, 100.0f, kProcAmpBrightness},
    {"AUTO_EXPOSURE", 0x804, kFull | kAbsControlInq | kReadOutInq, 1, 1023, 512, 0, kOnOff | kAutoMode, 0x900, -7.5f, 2.5f, kProcAmpNone},
    {"SHARPNESS", 0x808, kFull | kReadOutInq, 0, 255, 80, 0, kOnOff, 0, 0.0f, 0.0f, kProcAmpSharpness},
    {"WHITE_BALANCE", 0x80C, kFull | kOnePushInq | kReadOutInq, 0, 1023, 560, 740, kOnOff, 0, 0.0f, 0.0f, kProcAmpWhiteBalance},
    {"HUE", 0x810, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 2048, 0, kOnOff, 0x970, -180.0f, 180.0f, kProcAmpHue},
    {"SATURATION", 0x814, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 1024, 0, kOnOff, 0x980, 0.0f, 400.0f, kProcAmpSaturation},
    {"GAMMA", 0x818, kFull | kAbsControlInq | kReadOutInq, 512, 4095, 1024, 0, kOnOff, 0x940, 0.5f, 4.0f, kProcAmpGamma},
    {"SHUTTER", 0x81C, kFull | kAbsControlInq | kReadOutInq, 1, 4095, 533, 0, kOnOff, 0x910, 0.00002f, 0.066f, kProcAmpBacklightCompensation},
    {"GAIN", 0x820, kFull | kAbsControlInq | kReadOutInq, 0, 680, 0, 0, kOnOff, 0x920, 0.0f, 24.0f, kProcAmpContrast},
    {"TEMPERATURE", 0x82C, kPresenceInq | kReadOutInq, 0, 4095, 3100, 0, kOnOff, 0, 0.0f, 0.0f, kProcAmpNone},
    {"TRIGGER_MODE", 0x830, kPresenceInq | kOnOffInq | kReadOutInq, 0, 15, 0, 0, 0, 0, 0.0f, 0.0f, kProcAmpNone},
    {"TRIGGER_DELAY", 0x834, kPresenceInq | kAbsControlInq | kOnOffInq | kManualInq | kReadOutInq, 0, 4095, 0, 0, 0, 0x950, 0.0f, 4.0f, kProcAmpNone},
    {"FRAME_RATE", 0x83C, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 2048, 0, kOnOff | kAutoMode, 0x960, 1.875f, 60.0f, kProcAmpNone},
};

}  // namespace

const FeatureRow* FeatureRows(std::size_t* count) {
    *count = sizeof(kRows) / sizeof(kRows[0]);
    return kRows;
}

const FeatureRow* FeatureByControl(std::uint32_t control) {
    for (const FeatureRow& row : kRows) {
        if (row.control == control) return &row;
    }
    return nullptr;
}

const FeatureRow* FeatureByProcAmp(std::int32_t code) {
    if (code == kProcAmpNone) return nullptr;
    for (const FeatureRow& row : kRows) {
        if (row.procAmp == code) return &row;
    }
    return nullptr;
}

}  // namespace zkvsim
