// The IIDC image features of the virtual camera: one row per feature with
// its inquiry capabilities, integer range and absolute-value scale.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zkvsim {

// Inquiry register bits (IIDC numbers bits from the most significant one).
constexpr std::uint32_t kPresenceInq = 0x80000000u;
constexpr std::uint32_t kAbsControlInq = 0x40000000u;
constexpr std::uint32_t kOnePushInq = 0x10000000u;
constexpr std::uint32_t kReadOutInq = 0x08000000u;
constexpr std::uint32_t kOnOffInq = 0x04000000u;
constexpr std::uint32_t kAutoInq = 0x02000000u;
constexpr std::uint32_t kManualInq = 0x01000000u;
// Control register bits.
constexpr std::uint32_t kPresence = 0x80000000u;
constexpr std::uint32_t kAbsControl = 0x40000000u;
constexpr std::uint32_t kOnePush = 0x04000000u;
constexpr std::uint32_t kOnOff = 0x02000000u;
constexpr std::uint32_t kAutoMode = 0x01000000u;
constexpr std::uint32_t kValueMask = 0x00000FFFu;
constexpr std::uint32_t kHighValueMask = 0x00FFF000u;

// The feature inquiry register lies this far below its control register.
constexpr std::uint32_t kInquiryOffset = 0x300;

// DirectShow's VideoProcAmpProperty codes, as the driver maps them.
enum ProcAmpCode : std::int32_t {
    kProcAmpNone = -1,
    kProcAmpBrightness = 0,
    kProcAmpContrast = 1,  // the driver reports gain under it
    kProcAmpHue = 2,
    kProcAmpSaturation = 3,
    kProcAmpSharpness = 4,
    kProcAmpGamma = 5,
    kProcAmpColorEnable = 6,
    kProcAmpWhiteBalance = 7,
    kProcAmpBacklightCompensation = 8,  // the driver reports shutter under it
    kProcAmpGain = 9,
};

struct FeatureRow {
    const char* name;
    std::uint32_t control;      // control register address
    std::uint32_t inquiry;      // inquiry bits, Presence_Inq included when present
    std::uint32_t minValue;     // integer range
    std::uint32_t maxValue;
    std::uint32_t defaultValue;     // the red value for white balance
    std::uint32_t defaultHigh;      // the blue value for white balance, else 0
    std::uint32_t defaultControl;   // ON_OFF and A_M_Mode at power-up
    std::uint32_t absBase;      // MIN at base, MAX at base + 4, VAL at base + 8; 0 if none
    float absMin;               // physical range of the absolute scale
    float absMax;
    std::int32_t procAmp;       // VideoProcAmpProperty code, or kProcAmpNone
};

const FeatureRow* FeatureRows(std::size_t* count);
const FeatureRow* FeatureByControl(std::uint32_t control);
const FeatureRow* FeatureByProcAmp(std::int32_t code);

}  // namespace zkvsim
