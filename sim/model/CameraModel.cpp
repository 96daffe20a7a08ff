#include "CameraModel.h"

#include "RegisterDefaults.h"
#include "ZKVRegisterFields.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;

// V_CSR_INQ_7_m, the Format 7 modes' register offsets, at this plus 4m.
constexpr std::uint32_t kFormat7CsrInq = R::V_CSR_INQ_7_3 - 4 * 3;

// BAYER_TILE_MAPPING of each tile code.
const char kTileNames[][5] = {"YYYY", "RGGB", "GRBG", "GBRG", "BGGR"};

}  // namespace

CameraModel::CameraModel(const DeviceKind& kind, std::uint32_t serialNumber) : m_kind(&kind) {
    ResetFeatures();
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        const Format7ModeSpec& caps = kind.format7[m];
        m_format7[m] = {caps, 0, 0, caps.maxWidth, caps.maxHeight, caps.defaultPixelFormat, 100};
    }

    std::size_t defaultCount = 0;
    const RegisterDefault* defaults = RegisterDefaults(&defaultCount);
    for (std::size_t i = 0; i < defaultCount; ++i) m_registers[defaults[i].address] = {defaults[i].value, defaults[i].writable};
    auto fixed = [this](std::uint32_t address, std::uint32_t value) { m_registers[address] = {value, false}; };

    std::uint32_t formats = 0;
    std::size_t modeCount = 0;
    const StandardMode* modes = StandardModes(&modeCount);
    for (std::size_t i = 0; i < modeCount; ++i) {
        if (!(kind.codings & CodingBit(modes[i].coding))) continue;
        formats |= 0x80000000u >> modes[i].format;
        m_registers[R::V_MODE_INQ_0 + 4 * modes[i].format].value |= 0x80000000u >> modes[i].mode;
        fixed(R::V_RATE_INQ_0_0 + 0x20 * modes[i].format + 4 * modes[i].mode, 0xFC000000u);  // all six rates
    }
    for (std::uint32_t f = 0; f < 8; ++f) m_registers[R::V_MODE_INQ_0 + 4 * f].writable = false;
    std::uint32_t format7Modes = 0;
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        if (!kind.format7[m].available) continue;
        format7Modes |= 0x80000000u >> m;
        fixed(kFormat7CsrInq + 4 * m, 0x3C3C0000u + 0x400 * (m + 1));  // quadlet offset of the mode's CSRs
    }
    if (format7Modes) formats |= 0x80000000u >> kFormat7;
    fixed(R::V_FORMAT_INQ, formats);
    fixed(R::V_MODE_INQ_7, format7Modes);

    std::uint32_t featureHi = 0;
    std::size_t rowCount = 0;
    const FeatureRow* rows = FeatureRows(&rowCount);
    for (std::size_t i = 0; i < rowCount; ++i) {
        const std::uint32_t index = (rows[i].control - R::BRIGHTNESS) / 4;
        if (rows[i].control <= R::FRAME_RATE) featureHi |= 0x80000000u >> index;
        if (rows[i].absBase) fixed(R::ABS_CSR_HI_INQ_0 + 4 * index, 0x3C3C0000u + rows[i].absBase / 4);
    }
    featureHi |= 0x80000000u >> (R::TRIGGER_MODE - R::BRIGHTNESS) / 4;  // the frame gate's
    fixed(R::FEATURE_HI_INQ, featureHi);
    // Absent features: their inquiry and control registers read 0.
    for (std::uint32_t a = R::BRIGHTNESS; a <= R::FRAME_RATE; a += 4) {
        if (!FeatureByControl(a) && !FrameGate::Handles(a)) {
            fixed(a, 0);
            fixed(a - kInquiryOffset, 0);
        }
    }

    fixed(R::BAYER_TILE_MAPPING, AsciiQuadlet(kTileNames[static_cast<std::uint32_t>(kind.tile)]));
    fixed(R::SERIAL_NUMBER, serialNumber);

    StreamFormat start;
    start.fourcc = kind.defaultFourcc;
    start.width = kind.defaultWidth;
    start.height = kind.defaultHeight;
    SetStreamFormat(start);
    // The factory settings; the user channels hold them until first saved.
    for (ChannelSettings& channel : m_channels) channel = SaveChannel();
}

void CameraModel::RemoveControls(std::uint32_t lacks) {
    m_lacks |= lacks;
    if (lacks & kLacksTrigger) {
        m_gate.RemoveTrigger();
        m_registers[R::FEATURE_HI_INQ].value &= ~(0x80000000u >> (R::TRIGGER_MODE - R::BRIGHTNESS) / 4);
    }
    if (lacks & kLacksOnePush) {
        for (FeatureState& f : m_features) {
            f.inquiry &= ~kOnePushInq;
            f.control &= ~kOnePush;
            f.onePushFramesLeft = 0;
        }
    }
    if (lacks & kLacksMemoryChannels) {
        m_channelCount = 0;
        Cell& inquiry = m_registers[R::BASIC_FUNC_INQ];
        inquiry.value = zkv::SetField(inquiry.value, zkv::BasicFuncInq::MemoryChannel, 0);
    }
}

ModelResult CameraModel::SetBufferCount(std::uint32_t count) {
    if (count == 0 || count > kMaxBufferCount) return kInvalidArg;
    m_bufferCount = count;
    return kOk;
}

void CameraModel::SetStreaming(bool streaming) {
    m_streaming = streaming;
    m_registers[kRegIsoEn] = {streaming ? 0x80000000u : 0u, true};
}

}  // namespace zkvsim
