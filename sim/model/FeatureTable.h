// The IIDC image features of the virtual camera: one row per feature with
// its inquiry capabilities, integer range and absolute-value scale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ZKVRegisters.h"

namespace zkvsim {

// The IIDC feature register bits and the inquiry register's distance.
using zkv::kAbsControl;
using zkv::kAbsControlInq;
using zkv::kAutoInq;
using zkv::kAutoMode;
using zkv::kManualInq;
using zkv::kOnePush;
using zkv::kOnePushInq;
using zkv::kOnOff;
using zkv::kOnOffInq;
using zkv::kPresence;
using zkv::kPresenceInq;
using zkv::kReadOutInq;
constexpr std::uint32_t kValueMask = zkv::kValueLow;
constexpr std::uint32_t kHighValueMask = zkv::kValueHigh;
constexpr std::uint32_t kInquiryOffset = zkv::kFeatureInquiryDistance;

// The integer range fields of an inquiry register.
constexpr std::uint32_t InquiryMin(std::uint32_t inquiry) { return (inquiry >> 12) & 0xFFF; }
constexpr std::uint32_t InquiryMax(std::uint32_t inquiry) { return inquiry & 0xFFF; }

// An absolute value register's IEEE single-precision bits and back.
inline std::uint32_t FloatBits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

inline float BitsFloat(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

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
