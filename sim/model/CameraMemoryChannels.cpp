// Memory channels: MEMORY_SAVE stores the feature values, the trigger set-up
// and the video format in the channel MEM_SAVE_CH names; writing CUR_MEM_CH
// loads a channel, channel 0 being the factory settings.
#include "CameraModel.h"

#include "ZKVRegisterFields.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;

}  // namespace

bool CameraModel::IsMemoryChannelRegister(std::uint32_t address) {
    return address == R::MEMORY_SAVE || address == R::MEM_SAVE_CH || address == R::CUR_MEM_CH;
}

CameraModel::ChannelSettings CameraModel::SaveChannel() const {
    ChannelSettings s;
    for (const FeatureState& f : m_features) s.features.push_back({f.control & ~kOnePush, f.absVal});
    s.triggerMode = m_gate.TriggerMode();
    s.format = m_format;
    s.mode = m_mode;
    s.rate = m_rate;
    s.standardFourcc = m_standardFourcc;
    s.format7Fourcc = m_format7Fourcc;
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        const Format7State& f7 = m_format7[m];
        s.format7[m] = {f7.left, f7.top, f7.width, f7.height, f7.pixelFormat, f7.speed};
    }
    return s;
}

ModelResult CameraModel::LoadChannel(const ChannelSettings& s) {
    // Checked before anything changes, so that a refused load leaves the
    // camera as it was.
    if (m_streaming && (s.format != m_format || s.mode != m_mode)) return kBusy;
    if (s.format == kFormat7 ? !m_format7[s.mode].caps.available : !FindStandardMode(s.format, s.mode)) {
        return kInvalidArg;
    }
    if (s.features.size() != m_features.size()) return kFail;
    for (std::size_t i = 0; i < m_features.size(); ++i) {
        FeatureState& f = m_features[i];
        f.control = s.features[i].control;
        f.absVal = s.features[i].absVal;
        f.onePushFramesLeft = 0;
    }
    m_gate.SetTriggerMode(s.triggerMode);
    m_format = s.format;
    m_mode = s.mode;
    m_rate = s.rate;
    m_standardFourcc = s.standardFourcc;
    m_format7Fourcc = s.format7Fourcc;
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
        const Format7Region& r = s.format7[m];
        Format7State& f7 = m_format7[m];
        f7.left = r.left;
        f7.top = r.top;
        f7.width = r.width;
        f7.height = r.height;
        f7.pixelFormat = r.pixelFormat;
        f7.speed = r.speed;
    }
    return kOk;
}

ModelResult CameraModel::WriteMemoryChannelRegister(std::uint32_t address, std::uint32_t value) {
    Cell& cell = m_registers[address];
    switch (address) {
        case R::MEMORY_SAVE: {
            if (!zkv::GetField(value, zkv::MemorySave::Save)) return kOk;
            // Channel 0 is the factory settings and cannot be overwritten.
            const std::uint32_t channel = zkv::GetField(m_registers[R::MEM_SAVE_CH].value, zkv::MemSaveCh::Channel);
            if (channel == 0 || channel > kMemoryChannelCount) return kInvalidArg;
            m_channels[channel] = SaveChannel();
            return kOk;  // the save is done at once: the bit reads 0
        }
        case R::MEM_SAVE_CH: {
            if (zkv::GetField(value, zkv::MemSaveCh::Channel) > kMemoryChannelCount) return kInvalidArg;
            cell.value = zkv::SetField(0, zkv::MemSaveCh::Channel, zkv::GetField(value, zkv::MemSaveCh::Channel));
            return kOk;
        }
        default: {
            const std::uint32_t channel = zkv::GetField(value, zkv::CurMemCh::Channel);
            if (channel > kMemoryChannelCount) return kInvalidArg;
            const ModelResult hr = LoadChannel(m_channels[channel]);
            if (Failed(hr)) return hr;
            cell.value = zkv::SetField(0, zkv::CurMemCh::Channel, channel);
            return kOk;
        }
    }
}

}  // namespace zkvsim
