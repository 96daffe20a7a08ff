// The driver's video proc amp mapping onto the feature registers.
#include "CameraModel.h"

namespace zkvsim {

const CameraModel::FeatureState* CameraModel::ProcAmpFeature(std::int32_t code) const {
    const FeatureRow* row = FeatureByProcAmp(code);
    if (!row) return nullptr;
    for (const FeatureState& f : m_features) {
        if (f.row == row) return (f.inquiry & kPresenceInq) ? &f : nullptr;
    }
    return nullptr;
}

ModelResult CameraModel::ProcAmpGetRange(std::int32_t code, ProcAmpRange* range) const {
    const FeatureState* f = ProcAmpFeature(code);
    if (!f) return kPropIdUnsupported;
    range->min = static_cast<std::int32_t>(InquiryMin(f->inquiry));
    range->max = static_cast<std::int32_t>(InquiryMax(f->inquiry));
    range->step = 1;
    range->defaultValue = static_cast<std::int32_t>(f->row->defaultHigh << 12 | f->row->defaultValue);
    range->capsFlags = ((f->inquiry & kAutoInq) ? kProcAmpFlagAuto : 0) |
                       ((f->inquiry & kManualInq) ? kProcAmpFlagManual : 0);
    return kOk;
}

ModelResult CameraModel::ProcAmpGet(std::int32_t code, std::int32_t* value, std::int32_t* flags) const {
    const FeatureState* f = ProcAmpFeature(code);
    if (!f) return kPropIdUnsupported;
    const std::uint32_t mask = code == kProcAmpWhiteBalance ? (kValueMask | kHighValueMask) : kValueMask;
    *value = static_cast<std::int32_t>(f->control & mask);
    *flags = (f->control & kAutoMode) ? kProcAmpFlagAuto : kProcAmpFlagManual;
    return kOk;
}

ModelResult CameraModel::ProcAmpSet(std::int32_t code, std::int32_t value, std::int32_t flags) {
    FeatureState* f = const_cast<FeatureState*>(ProcAmpFeature(code));
    if (!f) return kPropIdUnsupported;
    if (flags == kProcAmpFlagAuto ? !(f->inquiry & kAutoInq)
                                  : (flags != kProcAmpFlagManual || !(f->inquiry & kManualInq))) {
        return kInvalidArg;
    }
    const std::int32_t min = static_cast<std::int32_t>(InquiryMin(f->inquiry));
    const std::int32_t max = static_cast<std::int32_t>(InquiryMax(f->inquiry));
    auto inRange = [min, max](std::int32_t v) { return v >= min && v <= max; };
    std::uint32_t fields;
    if (code == kProcAmpWhiteBalance) {
        if ((value & ~0x00FFFFFF) || !inRange(value & 0xFFF) || !inRange((value >> 12) & 0xFFF)) return kInvalidArg;
        fields = static_cast<std::uint32_t>(value);
    } else {
        if (!inRange(value)) return kInvalidArg;
        fields = (f->control & kHighValueMask) | static_cast<std::uint32_t>(value);
    }
    f->control = (f->control & ~(kValueMask | kHighValueMask | kAutoMode)) | fields |
                 (flags == kProcAmpFlagAuto ? kAutoMode : 0);
    SyncAbsoluteFromRaw(*f);
    return kOk;
}

}  // namespace zkvsim
