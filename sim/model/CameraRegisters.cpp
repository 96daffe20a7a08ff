// The command and status register block: quadlet reads and writes as the
// bus makes them, the feature registers with their absolute values, and the
// changes the camera makes itself.
#include "CameraModel.h"

#include <cmath>

namespace zkvsim {
namespace {

// Roles of the registers that belong to a feature.
enum FeatureRole : std::uint32_t { kRoleInquiry, kRoleControl, kRoleAbsMin, kRoleAbsMax, kRoleAbsVal };

constexpr int kFieldShift = zkv::kVideoFieldShift;

}  // namespace

void CameraModel::ResetFeatures() {
    m_features.clear();
    std::size_t count = 0;
    const FeatureRow* rows = FeatureRows(&count);
    for (std::size_t i = 0; i < count; ++i) {
        const FeatureRow& row = rows[i];
        FeatureState f{&row, row.inquiry | row.minValue << 12 | row.maxValue, 0, 0, 0, 0};
        if (m_lacks & kLacksOnePush) f.inquiry &= ~kOnePushInq;
        f.control = row.defaultControl | row.defaultHigh << 12 | row.defaultValue;
        if (row.absBase) {
            f.absMin = FloatBits(row.absMin);
            f.absMax = FloatBits(row.absMax);
            SyncAbsoluteFromRaw(f);
        }
        m_features.push_back(f);
    }
}

const CameraModel::FeatureState* CameraModel::FeatureAt(std::uint32_t address, std::uint32_t* role) const {
    for (const FeatureState& f : m_features) {
        if (address == f.row->control) {
            *role = kRoleControl;
        } else if (address == f.row->control - kInquiryOffset) {
            *role = kRoleInquiry;
        } else if (f.row->absBase && address >= f.row->absBase && address < f.row->absBase + 12) {
            *role = kRoleAbsMin + (address - f.row->absBase) / 4;
        } else {
            continue;
        }
        return &f;
    }
    return nullptr;
}

CameraModel::FeatureState* CameraModel::FeatureAt(std::uint32_t address, std::uint32_t* role) {
    return const_cast<FeatureState*>(static_cast<const CameraModel*>(this)->FeatureAt(address, role));
}

void CameraModel::SyncAbsoluteFromRaw(FeatureState& f) {
    const std::uint32_t min = InquiryMin(f.inquiry), max = InquiryMax(f.inquiry);
    const float lo = BitsFloat(f.absMin), hi = BitsFloat(f.absMax);
    if (!f.row->absBase || max <= min || !(hi > lo)) return;
    const double raw = static_cast<double>(f.control & kValueMask);
    f.absVal = FloatBits(static_cast<float>(lo + (raw - min) * (hi - lo) / (max - min)));
}

void CameraModel::SyncRawFromAbsolute(FeatureState& f) {
    const std::uint32_t min = InquiryMin(f.inquiry), max = InquiryMax(f.inquiry);
    const float lo = BitsFloat(f.absMin), hi = BitsFloat(f.absMax);
    if (max <= min || !(hi > lo)) return;
    double raw = std::floor(min + (BitsFloat(f.absVal) - lo) * (max - min) / (hi - lo) + 0.5);
    if (raw < min) raw = min;
    if (raw > max) raw = max;
    f.control = (f.control & ~kValueMask) | static_cast<std::uint32_t>(raw);
}

ModelResult CameraModel::ReadRegister(std::uint32_t address, std::uint32_t* value) const {
    if (address & 3) return kInvalidArg;
    std::uint32_t role = 0;
    if (const FeatureState* f = FeatureAt(address, &role)) {
        const bool present = (f->inquiry & kPresenceInq) != 0;
        switch (role) {
            case kRoleInquiry: *value = f->inquiry; break;
            case kRoleControl: *value = present ? (kPresence | f->control) : 0; break;
            case kRoleAbsMin: *value = f->absMin; break;
            case kRoleAbsMax: *value = f->absMax; break;
            default: *value = f->absVal; break;
        }
        return kOk;
    }
    if (FrameGate::Handles(address)) return m_gate.Read(address, value);
    switch (address) {
        case kRegCurVFrmRate: *value = m_rate << kFieldShift; return kOk;
        case kRegCurVMode: *value = m_mode << kFieldShift; return kOk;
        case kRegCurVFormat: *value = m_format << kFieldShift; return kOk;
        default: break;
    }
    auto it = m_registers.find(address);
    if (it == m_registers.end()) return kAddressError;
    *value = it->second.value;
    return kOk;
}

ModelResult CameraModel::WriteFeature(FeatureState& f, std::uint32_t role, std::uint32_t value) {
    const std::uint32_t inq = f.inquiry;
    if (!(inq & kPresenceInq)) return kAccessDenied;
    switch (role) {
        case kRoleControl: {
            std::uint32_t next = f.control & (kValueMask | kHighValueMask);
            if (inq & kAbsControlInq) next |= value & kAbsControl;
            next |= ((inq & kOnOffInq) ? value : f.control) & kOnOff;
            if (inq & kAutoInq) next |= value & kAutoMode;
            if (inq & kManualInq) {
                const std::uint32_t min = InquiryMin(inq), max = InquiryMax(inq);
                auto clamp = [min, max](std::uint32_t v) { return v < min ? min : (v > max ? max : v); };
                next = (next & ~kValueMask) | clamp(value & kValueMask);
                if (f.row->procAmp == kProcAmpWhiteBalance) {
                    next = (next & ~kHighValueMask) | clamp((value & kHighValueMask) >> 12) << 12;
                }
            }
            // An adjustment under way runs on; a new one starts over.
            next |= f.control & kOnePush;
            const bool valueChanged = ((next ^ f.control) & kValueMask) != 0;
            f.control = next;
            if ((inq & kOnePushInq) && (value & kOnePush)) StartOnePush(f);
            if (valueChanged) SyncAbsoluteFromRaw(f);
            return kOk;
        }
        case kRoleAbsVal: {
            if (!(inq & kAbsControlInq)) return kAccessDenied;
            const float v = BitsFloat(value);
            if (!std::isfinite(v)) return kInvalidArg;
            const float lo = BitsFloat(f.absMin), hi = BitsFloat(f.absMax);
            f.absVal = FloatBits(v < lo ? lo : (v > hi ? hi : v));
            SyncRawFromAbsolute(f);
            return kOk;
        }
        default:
            return kAccessDenied;  // inquiry, MIN and MAX are read-only
    }
}

ModelResult CameraModel::WriteRegister(std::uint32_t address, std::uint32_t value) {
    if (address & 3) return kInvalidArg;
    std::uint32_t role = 0;
    if (FeatureState* f = FeatureAt(address, &role)) return WriteFeature(*f, role, value);
    if (FrameGate::Handles(address)) return m_gate.Write(address, value);
    if (IsMemoryChannelRegister(address)) return WriteMemoryChannelRegister(address, value);
    const std::uint32_t field = value >> kFieldShift;
    switch (address) {
        case kRegInitialize:
            if (value & 0x80000000u) ResetFeatures();
            return kOk;
        case kRegCurVFrmRate:
            if (field >= kFrameRateCount) return kInvalidArg;
            m_rate = field;
            return kOk;
        case kRegCurVMode:
            if (m_streaming && field != m_mode) return kBusy;
            if (m_format == kFormat7 ? !m_format7[field].caps.available : !FindStandardMode(m_format, field)) {
                return kInvalidArg;
            }
            m_mode = field;
            return kOk;
        case kRegCurVFormat:
            if (m_streaming && field != m_format) return kBusy;
            if (field == kFormat7) {
                if (!m_format7[m_mode].caps.available) return kInvalidArg;
            } else if (!FindStandardMode(field, m_mode)) {
                return kInvalidArg;
            }
            m_format = field;
            return kOk;
        default:
            break;
    }
    auto it = m_registers.find(address);
    if (it == m_registers.end()) return kAddressError;
    if (!it->second.writable) return kAccessDenied;
    it->second.value = value;
    return kOk;
}

ModelResult CameraModel::PokeRegister(std::uint32_t address, std::uint32_t value) {
    if (address & 3) return kInvalidArg;
    std::uint32_t role = 0;
    if (FeatureState* f = FeatureAt(address, &role)) {
        switch (role) {
            case kRoleInquiry: f->inquiry = value; break;
            case kRoleControl:
                f->control = value & ~kPresence;
                SyncAbsoluteFromRaw(*f);
                break;
            case kRoleAbsMin: f->absMin = value; break;
            case kRoleAbsMax: f->absMax = value; break;
            default:
                f->absVal = value;
                SyncRawFromAbsolute(*f);
                break;
        }
        return kOk;
    }
    if (FrameGate::Handles(address)) return m_gate.Write(address, value);
    switch (address) {
        case kRegCurVFrmRate: m_rate = (value >> kFieldShift) % kFrameRateCount; return kOk;
        case kRegCurVMode: m_mode = value >> kFieldShift; return kOk;
        case kRegCurVFormat: m_format = value >> kFieldShift; return kOk;
        default: break;
    }
    if (address > kRegisterSpaceEnd) return kAddressError;
    auto it = m_registers.find(address);
    if (it == m_registers.end()) {
        m_registers[address] = {value, true};
    } else {
        it->second.value = value;
    }
    return kOk;
}

}  // namespace zkvsim
