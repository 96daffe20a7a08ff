#include "CameraModel.h"

#include <cmath>
#include <cstring>

namespace zkvsim {
namespace {

// Roles of the registers that belong to a feature.
enum FeatureRole : std::uint32_t { kRoleInquiry, kRoleControl, kRoleAbsMin, kRoleAbsMax, kRoleAbsVal };

constexpr std::uint32_t kFieldShift = 29;  // format, mode and rate fields: bits 31..29

std::uint32_t FloatBits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float BitsFloat(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::uint32_t AsciiQuadlet(const char* four) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(four[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[3]));
}

std::uint32_t InquiryMin(std::uint32_t inquiry) { return (inquiry >> 12) & 0xFFF; }
std::uint32_t InquiryMax(std::uint32_t inquiry) { return inquiry & 0xFFF; }

bool IsSinglePixelFormat(std::uint32_t code) {
    switch (code) {
        case ZKV_PIXEL_MONO8: case ZKV_PIXEL_YUV411: case ZKV_PIXEL_YUV422:
        case ZKV_PIXEL_YUV444: case ZKV_PIXEL_MONO16: case ZKV_PIXEL_RAW8:
            return true;
        default:
            return false;
    }
}

const char* const kTileNames[] = {"YYYY", "RGGB", "GRBG", "GBRG", "BGGR"};

}  // namespace

CameraModel::CameraModel(const DeviceKind& kind, std::uint32_t serialNumber) : m_kind(&kind) {
    ResetFeatures();
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        const Format7ModeSpec& caps = kind.format7[m];
        m_format7[m] = {caps, 0, 0, caps.maxWidth, caps.maxHeight, caps.defaultPixelFormat, 100};
    }

    auto fixed = [this](std::uint32_t address, std::uint32_t value) { m_registers[address] = {value, false}; };
    auto writable = [this](std::uint32_t address, std::uint32_t value) { m_registers[address] = {value, true}; };

    writable(kRegInitialize, 0);
    std::uint32_t formats = 0;
    std::size_t modeCount = 0;
    const StandardMode* modes = StandardModes(&modeCount);
    for (std::size_t i = 0; i < modeCount; ++i) {
        if (!(kind.codings & CodingBit(modes[i].coding))) continue;
        formats |= 0x80000000u >> modes[i].format;
        const std::uint32_t inq = 0x180 + 4 * modes[i].format;
        m_registers[inq].value |= 0x80000000u >> modes[i].mode;
        fixed(0x200 + 0x20 * modes[i].format + 4 * modes[i].mode, 0xFC000000u);  // all six rates
    }
    for (std::uint32_t f = 0; f < 8; ++f) m_registers[0x180 + 4 * f].writable = false;
    std::uint32_t format7Modes = 0;
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        if (!kind.format7[m].available) continue;
        format7Modes |= 0x80000000u >> m;
        fixed(0x2E0 + 4 * m, 0x3C3C0000u + 0x400 * (m + 1));  // quadlet offset of the mode's CSRs
    }
    if (format7Modes) formats |= 0x80000000u >> kFormat7;
    fixed(0x100, formats);
    fixed(0x180 + 4 * kFormat7, format7Modes);

    fixed(0x400, 0x80008000u);  // advanced features, camera power control
    std::uint32_t featureHi = 0;
    std::size_t rowCount = 0;
    const FeatureRow* rows = FeatureRows(&rowCount);
    for (std::size_t i = 0; i < rowCount; ++i) {
        if (rows[i].control < 0x840) featureHi |= 0x80000000u >> ((rows[i].control - 0x800) / 4);
        if (rows[i].absBase) fixed(0x700 + (rows[i].control - 0x800), 0x3C3C0000u + rows[i].absBase / 4);
    }
    fixed(0x404, featureHi);
    fixed(0x408, 0);
    fixed(0x40C, 0);
    fixed(0x480, 0x3C3C0000u);
    for (std::uint32_t a : {0x484u, 0x488u, 0x48Cu}) fixed(a, 0);
    // Absent features: their inquiry and control registers read 0.
    for (std::uint32_t a = 0x800; a <= 0x83C; a += 4) {
        if (!FeatureByControl(a)) {
            fixed(a, 0);
            fixed(a - kInquiryOffset, 0);
        }
    }
    for (std::uint32_t a : {0x880u, 0x884u, 0x888u, 0x88Cu, 0x8C0u, 0x8C4u}) {
        fixed(a, 0);
        fixed(a - kInquiryOffset, 0);
    }
    for (std::uint32_t a = 0x780; a <= 0x78C; a += 4) fixed(a, 0);
    fixed(0x7C0, 0);
    fixed(0x7C4, 0);

    writable(0x60C, 0x02000000u);  // ISO channel 0, S400
    writable(0x610, 0x80000000u);  // camera power on
    writable(kRegIsoEn, 0);
    for (std::uint32_t a : {0x618u, 0x61Cu, 0x620u, 0x62Cu}) writable(a, 0);
    fixed(0x624, 0);
    fixed(0x628, 0);
    fixed(0x630, 0x08000000u);  // 8-bit data depth

    fixed(0x1028, 0x80000000u);
    writable(0x102C, 0);
    fixed(0x1040, AsciiQuadlet(kTileNames[static_cast<std::uint32_t>(kind.tile)]));
    fixed(0x1044, 0);
    writable(0x1048, 0x80000000u);
    writable(0x104C, 0);
    for (std::uint32_t a : {0x1088u, 0x1098u, 0x10A0u}) writable(a, 0x80000000u);
    for (std::uint32_t a = 0x1100; a <= 0x110C; a += 4) writable(a, 0x80000000u);
    for (std::uint32_t p = 0; p < 4; ++p) {
        writable(0x1110 + 0x10 * p, 0x80000000u);
        writable(0x1114 + 0x10 * p, 0);
        writable(0x1118 + 0x10 * p, 0x8000FFFFu);
    }
    writable(0x11F0, 0);
    fixed(0x11F4, 0);
    writable(0x11F8, 0);
    writable(0x1240, 0);
    writable(0x1244, 0);
    writable(0x12E8, 0);
    fixed(0x12F8, 0);
    fixed(0x12FC, 0);
    fixed(0x1300, 0x80000000u);
    for (std::uint32_t s = 0; s < 4; ++s) {
        fixed(0x1400 + 4 * s, 0x8C000FFFu);
        writable(0x1500 + 4 * s, 0x80000000u);
    }
    for (std::uint32_t a : {0x1A40u, 0x1A44u, 0x1A50u, 0x1A54u}) fixed(a, 0);
    writable(0x1A70, 0);
    writable(0x1A74, 0);
    fixed(0x1AF0, 48000000u);
    fixed(0x1AF4, 31468u);
    fixed(kRegSerialNumber, serialNumber);
    fixed(0x1F24, 0x00010002u);
    fixed(0x1F28, 0x00000301u);
    fixed(0x1F40, 0x69A0F200u);
    fixed(0x1F60, 0x01020003u);
    fixed(0x1F64, 0x20261208u);
    const char* const firmwareString[] = {"ZKV ", "Virt", "ual ", "IIDC", " Cam", "era\0"};
    for (std::uint32_t k = 1; k <= 6; ++k) fixed(0x1F64 + 4 * k, AsciiQuadlet(firmwareString[k - 1]));

    StreamFormat start;
    start.fourcc = kind.defaultFourcc;
    start.width = kind.defaultWidth;
    start.height = kind.defaultHeight;
    SetStreamFormat(start);
}

void CameraModel::ResetFeatures() {
    m_features.clear();
    std::size_t count = 0;
    const FeatureRow* rows = FeatureRows(&count);
    for (std::size_t i = 0; i < count; ++i) {
        const FeatureRow& row = rows[i];
        FeatureState f{&row, row.inquiry | row.minValue << 12 | row.maxValue, 0, 0, 0, 0};
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
            // One push completes at once: the feature settles on its default.
            if ((inq & kOnePushInq) && (value & kOnePush)) {
                next = (next & ~(kValueMask | kHighValueMask)) | f.row->defaultHigh << 12 | f.row->defaultValue;
            }
            const bool valueChanged = ((next ^ f.control) & kValueMask) != 0;
            f.control = next;
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

ModelResult CameraModel::GetFormat7(Format7Request* request) const {
    const std::uint32_t mode = request->mode;
    request->modeAvailable = 0;
    if (mode >= kFormat7ModeCount || !m_format7[mode].caps.available) {
        // Every answer field says "nothing here", so none is mistaken for one.
        request->left = request->top = request->width = request->height = 0;
        request->speed = request->pixelFormat = 0;
        request->horizontalUnit = request->verticalUnit = 0;
        request->maxWidth = request->maxHeight = request->supportedPixelFormats = 0;
        return kOk;
    }
    const Format7State& s = m_format7[mode];
    request->left = s.left;
    request->top = s.top;
    request->width = s.width;
    request->height = s.height;
    request->speed = s.speed;
    request->pixelFormat = s.pixelFormat;
    request->modeAvailable = 1;
    request->horizontalUnit = s.caps.horizontalUnit;
    request->verticalUnit = s.caps.verticalUnit;
    request->maxWidth = s.caps.maxWidth;
    request->maxHeight = s.caps.maxHeight;
    request->supportedPixelFormats = s.caps.supportedPixelFormats;
    return kOk;
}

ModelResult CameraModel::CheckRegion(const Format7State& mode, std::uint32_t left, std::uint32_t top,
                                     std::uint32_t width, std::uint32_t height,
                                     std::uint32_t pixelFormat) const {
    const Format7ModeSpec& caps = mode.caps;
    if (!caps.available) return kInvalidArg;
    if (!IsSinglePixelFormat(pixelFormat) || (caps.supportedPixelFormats & pixelFormat) != pixelFormat) {
        return kInvalidArg;
    }
    if (width == 0 || height == 0) return kInvalidArg;
    if (left % caps.horizontalUnit || width % caps.horizontalUnit) return kInvalidArg;
    if (top % caps.verticalUnit || height % caps.verticalUnit) return kInvalidArg;
    // Compared without overflow: left + width may not wrap past 32 bits.
    if (width > caps.maxWidth || left > caps.maxWidth - width) return kInvalidArg;
    if (height > caps.maxHeight || top > caps.maxHeight - height) return kInvalidArg;
    const FrameFormat* format = FindFrameFormat(DefaultFourccOfPixelFormat(pixelFormat));
    if (!format || FrameBytes(*format, width, height) == 0) return kInvalidArg;
    return kOk;
}

ModelResult CameraModel::SetFormat7(const Format7Request& r) {
    if (r.mode >= kFormat7ModeCount) return kInvalidArg;
    if (m_streaming) return kBusy;
    Format7State& s = m_format7[r.mode];
    const ModelResult check = CheckRegion(s, r.left, r.top, r.width, r.height, r.pixelFormat);
    if (Failed(check)) return check;
    if (r.speed == 0 || r.speed > 100) return kInvalidArg;
    s.left = r.left;
    s.top = r.top;
    s.width = r.width;
    s.height = r.height;
    s.pixelFormat = r.pixelFormat;
    s.speed = r.speed;
    const FrameFormat* current = FindFrameFormat(m_format7Fourcc);
    if (!current || current->format7Code != r.pixelFormat) m_format7Fourcc = DefaultFourccOfPixelFormat(r.pixelFormat);
    m_format = kFormat7;
    m_mode = r.mode;
    return kOk;
}

ModelResult CameraModel::SetFormat7ModeAvailable(std::uint32_t mode, bool available) {
    if (mode >= kFormat7ModeCount) return kInvalidArg;
    Format7State& s = m_format7[mode];
    if (available && s.caps.maxWidth == 0) {
        // A mode the kind does not have: offer the full sensor in 8-bit mono.
        s.caps = {true, 1024, 768, 4, 2, ZKV_PIXEL_MONO8, ZKV_PIXEL_MONO8};
        s = {s.caps, 0, 0, 1024, 768, ZKV_PIXEL_MONO8, 100};
    }
    s.caps.available = available;
    std::uint32_t& inq = m_registers[0x180 + 4 * kFormat7].value;
    inq = available ? (inq | 0x80000000u >> mode) : (inq & ~(0x80000000u >> mode));
    return kOk;
}

ModelResult CameraModel::SetBufferCount(std::uint32_t count) {
    if (count == 0 || count > kMaxBufferCount) return kInvalidArg;
    m_bufferCount = count;
    return kOk;
}

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

const StandardMode* CameraModel::FindStandardMode(std::uint32_t format, std::uint32_t mode) const {
    std::size_t count = 0;
    const StandardMode* modes = StandardModes(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (modes[i].format == format && modes[i].mode == mode && (m_kind->codings & CodingBit(modes[i].coding))) {
            return &modes[i];
        }
    }
    return nullptr;
}

std::uint32_t CameraModel::DefaultFourccOfPixelFormat(std::uint32_t pixelFormat) const {
    switch (pixelFormat) {
        case ZKV_PIXEL_MONO8: return MakeFourcc('Y', '8', '0', '0');
        case ZKV_PIXEL_YUV411: return MakeFourcc('Z', 'Y', '4', '1');
        case ZKV_PIXEL_YUV422: return MakeFourcc('U', 'Y', 'V', 'Y');
        case ZKV_PIXEL_YUV444: return MakeFourcc('Z', 'Y', '4', '4');
        case ZKV_PIXEL_MONO16: return MakeFourcc('Z', 'Y', '1', '6');
        case ZKV_PIXEL_RAW8: {
            std::size_t count = 0;
            const FrameFormat* formats = FrameFormats(&count);
            const BayerTile tile = m_kind->tile == BayerTile::None ? BayerTile::RGGB : m_kind->tile;
            for (std::size_t i = 0; i < count; ++i) {
                // The edge-sensing FOURCC of the sensor's own tile.
                if (formats[i].assumedTile == tile && (formats[i].fourcc >> 24) == '3') return formats[i].fourcc;
            }
            return 0;
        }
        default: return 0;
    }
}

bool CameraModel::OffersFormat(const FrameFormat& format) const {
    return format.pack != PackKind::Bayer8 || m_kind->tile != BayerTile::None;
}

std::vector<StreamCapability> CameraModel::StreamCapabilities() const {
    std::vector<StreamCapability> caps;
    std::size_t modeCount = 0, formatCount = 0;
    const StandardMode* modes = StandardModes(&modeCount);
    const FrameFormat* formats = FrameFormats(&formatCount);
    for (std::size_t m = 0; m < modeCount; ++m) {
        if (!(m_kind->codings & CodingBit(modes[m].coding))) continue;
        for (std::size_t i = 0; i < formatCount; ++i) {
            if (formats[i].coding != modes[m].coding || !OffersFormat(formats[i])) continue;
            StreamCapability cap{};
            cap.format.fourcc = formats[i].fourcc;
            cap.format.width = cap.format.sceneWidth = modes[m].width;
            cap.format.height = cap.format.sceneHeight = modes[m].height;
            cap.format.frameInterval = FrameIntervalOfRate(m_rate);
            cap.minWidth = cap.maxWidth = modes[m].width;
            cap.minHeight = cap.maxHeight = modes[m].height;
            caps.push_back(cap);
        }
    }
    // Format 7: one entry per subtype, sized by the first mode that carries it.
    for (std::size_t i = 0; i < formatCount; ++i) {
        if (!formats[i].format7Code || !OffersFormat(formats[i])) continue;
        for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
            const Format7State& s = m_format7[m];
            if (!s.caps.available || !(s.caps.supportedPixelFormats & formats[i].format7Code)) continue;
            StreamCapability cap{};
            cap.format.fourcc = formats[i].fourcc;
            cap.format.format7 = true;
            cap.format.width = cap.format.sceneWidth = cap.maxWidth = s.caps.maxWidth;
            cap.format.height = cap.format.sceneHeight = cap.maxHeight = s.caps.maxHeight;
            cap.format.frameInterval = FrameIntervalOfRate(m_rate);
            cap.minWidth = cap.granularityX = s.caps.horizontalUnit;
            cap.minHeight = cap.granularityY = s.caps.verticalUnit;
            caps.push_back(cap);
            break;
        }
    }
    return caps;
}

StreamFormat CameraModel::CurrentStreamFormat() const {
    StreamFormat f;
    f.frameInterval = FrameIntervalOfRate(m_rate);
    if (m_format == kFormat7 && m_mode < kFormat7ModeCount) {
        const Format7State& s = m_format7[m_mode];
        const FrameFormat* chosen = FindFrameFormat(m_format7Fourcc);
        f.fourcc = (chosen && chosen->format7Code == s.pixelFormat) ? m_format7Fourcc
                                                                   : DefaultFourccOfPixelFormat(s.pixelFormat);
        f.format7 = true;
        f.left = s.left;
        f.top = s.top;
        f.width = s.width;
        f.height = s.height;
        f.sceneWidth = s.caps.maxWidth;
        f.sceneHeight = s.caps.maxHeight;
        return f;
    }
    const StandardMode* mode = FindStandardMode(m_format, m_mode);
    if (!mode) return f;
    const FrameFormat* chosen = FindFrameFormat(m_standardFourcc);
    f.fourcc = m_standardFourcc;
    if (!chosen || chosen->coding != mode->coding) {
        std::size_t count = 0;
        const FrameFormat* formats = FrameFormats(&count);
        for (std::size_t i = 0; i < count; ++i) {
            if (formats[i].coding == mode->coding) {
                f.fourcc = formats[i].fourcc;
                break;
            }
        }
    }
    f.width = f.sceneWidth = mode->width;
    f.height = f.sceneHeight = mode->height;
    return f;
}

ModelResult CameraModel::CheckStreamFormat(const StreamFormat& format) const {
    const FrameFormat* frame = FindFrameFormat(format.fourcc);
    if (!frame || !OffersFormat(*frame)) return kInvalidMediaType;
    if (format.format7) {
        const std::uint32_t mode = m_format == kFormat7 ? m_mode : 0;
        if (mode >= kFormat7ModeCount || !frame->format7Code) return kInvalidMediaType;
        return Failed(CheckRegion(m_format7[mode], format.left, format.top, format.width, format.height,
                                  frame->format7Code))
                   ? kInvalidMediaType
                   : kOk;
    }
    std::size_t count = 0;
    const StandardMode* modes = StandardModes(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (modes[i].coding == frame->coding && modes[i].width == format.width && modes[i].height == format.height &&
            (m_kind->codings & CodingBit(modes[i].coding))) {
            return kOk;
        }
    }
    return kInvalidMediaType;
}

ModelResult CameraModel::SetStreamFormat(const StreamFormat& format) {
    const ModelResult check = CheckStreamFormat(format);
    if (Failed(check)) return check;
    if (m_streaming) {
        // Only the frame rate of the format being streamed may change.
        const StreamFormat current = CurrentStreamFormat();
        if (format.fourcc != current.fourcc || format.width != current.width || format.height != current.height ||
            format.format7 != current.format7 || (format.format7 && (format.left != current.left ||
                                                                     format.top != current.top))) {
            return kBusy;
        }
    }
    const FrameFormat* frame = FindFrameFormat(format.fourcc);
    if (format.format7) {
        const std::uint32_t mode = m_format == kFormat7 ? m_mode : 0;
        Format7State& s = m_format7[mode];
        s.left = format.left;
        s.top = format.top;
        s.width = format.width;
        s.height = format.height;
        s.pixelFormat = frame->format7Code;
        m_format7Fourcc = format.fourcc;
        m_format = kFormat7;
        m_mode = mode;
    } else {
        std::size_t count = 0;
        const StandardMode* modes = StandardModes(&count);
        for (std::size_t i = 0; i < count; ++i) {
            if (modes[i].coding == frame->coding && modes[i].width == format.width &&
                modes[i].height == format.height && (m_kind->codings & CodingBit(modes[i].coding))) {
                m_format = modes[i].format;
                m_mode = modes[i].mode;
                break;
            }
        }
        m_standardFourcc = format.fourcc;
    }
    if (format.frameInterval > 0) m_rate = RateNearestInterval(format.frameInterval);
    return kOk;
}

std::int64_t CameraModel::FrameInterval() const { return FrameIntervalOfRate(m_rate); }

void CameraModel::SetStreaming(bool streaming) {
    m_streaming = streaming;
    m_registers[kRegIsoEn] = {streaming ? 0x80000000u : 0u, true};
}

}  // namespace zkvsim
