#include "FeatureTable.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;

constexpr std::uint32_t kFull = kPresenceInq | kOnOffInq | kAutoInq | kManualInq;

// Absent features have no row: their inquiry and control registers read 0.
constexpr FeatureRow kRows[] = {
    {R::BRIGHTNESS, kFull | kAbsControlInq | kReadOutInq, 0, 255, 64, 0, kOnOff, R::ABS_BRIGHTNESS_MIN, 0.0f, 100.0f, kProcAmpBrightness},
    {R::AUTO_EXPOSURE, kFull | kAbsControlInq | kReadOutInq, 1, 1023, 512, 0, kOnOff | kAutoMode, R::ABS_AUTO_EXPOSURE_MIN, -7.5f, 2.5f, kProcAmpNone},
    {R::SHARPNESS, kFull | kReadOutInq, 0, 255, 80, 0, kOnOff, 0, 0.0f, 0.0f, kProcAmpSharpness},
    {R::WHITE_BALANCE, kFull | kOnePushInq | kReadOutInq, 0, 1023, 560, 740, kOnOff, 0, 0.0f, 0.0f, kProcAmpWhiteBalance},
    {R::HUE, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 2048, 0, kOnOff, R::ABS_HUE_MIN, -180.0f, 180.0f, kProcAmpHue},
    {R::SATURATION, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 1024, 0, kOnOff, R::ABS_SATURATION_MIN, 0.0f, 400.0f, kProcAmpSaturation},
    {R::GAMMA, kFull | kAbsControlInq | kReadOutInq, 512, 4095, 1024, 0, kOnOff, R::ABS_GAMMA_MIN, 0.5f, 4.0f, kProcAmpGamma},
    {R::SHUTTER, kFull | kAbsControlInq | kReadOutInq, 1, 4095, 533, 0, kOnOff, R::ABS_SHUTTER_MIN, 0.00002f, 0.066f, kProcAmpBacklightCompensation},
    {R::GAIN, kFull | kAbsControlInq | kReadOutInq, 0, 680, 0, 0, kOnOff, R::ABS_GAIN_MIN, 0.0f, 24.0f, kProcAmpContrast},
    {R::TEMPERATURE, kPresenceInq | kReadOutInq, 0, 4095, 3100, 0, kOnOff, 0, 0.0f, 0.0f, kProcAmpNone},
    {R::TRIGGER_DELAY, kPresenceInq | kAbsControlInq | kOnOffInq | kManualInq | kReadOutInq, 0, 4095, 0, 0, 0, R::ABS_TRIGGER_DELAY_MIN, 0.0f, 4.0f, kProcAmpNone},
    {R::FRAME_RATE, kFull | kAbsControlInq | kReadOutInq, 0, 4095, 2048, 0, kOnOff | kAutoMode, R::ABS_FRAME_RATE_MIN, 1.875f, 60.0f, kProcAmpNone},
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
