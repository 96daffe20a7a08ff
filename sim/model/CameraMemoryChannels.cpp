// Memory channels: MEMORY_SAVE stores the feature values, the trigger set-up
// and the video format in the channel MEM_SAVE_CH names; writing CUR_MEM_CH
// loads a channel, channel 0 being the factory settings.
#include "CameraModel.h"

#include "ZKVRegisterFields.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;

// The words of a kept channel: a layout mark, the feature count, then
// (control, absolute value) per feature, the trigger mode, format, mode,
// rate, the two FOURCCs and six words per Format 7 mode.
constexpr std::uint32_t kChannelLayout = 0x5A4B4331u;  // "ZKC1"
constexpr std::size_t kFormat7Words = 6;

std::size_t ChannelWords(std::size_t features) { return 2 + 2 * features + 6 + kFormat7Words * kFormat7ModeCount; }

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

std::vector<std::uint32_t> CameraModel::ChannelData(std::uint32_t channel) const {
    if (channel == 0 || channel > m_channelCount) return {};
    const ChannelSettings& c = m_channels[channel];
    std::vector<std::uint32_t> words = {kChannelLayout, static_cast<std::uint32_t>(c.features.size())};
    for (const FeatureSetting& f : c.features) words.insert(words.end(), {f.control, f.absVal});
    words.insert(words.end(), {c.triggerMode, c.format, c.mode, c.rate, c.standardFourcc, c.format7Fourcc});
    for (const Format7Region& r : c.format7) words.insert(words.end(), {r.left, r.top, r.width, r.height, r.pixelFormat, r.speed});
    return words;
}

ModelResult CameraModel::SetChannelData(std::uint32_t channel, const std::vector<std::uint32_t>& words) {
    if (channel == 0 || channel > m_channelCount) return kInvalidArg;
    if (words.size() != ChannelWords(m_features.size()) || words[0] != kChannelLayout || words[1] != m_features.size()) {
        return kInvalidArg;
    }
    ChannelSettings c;
    std::size_t at = 2;
    for (std::size_t i = 0; i < m_features.size(); ++i, at += 2) c.features.push_back({words[at], words[at + 1]});
    c.triggerMode = words[at++];
    c.format = words[at++];
    c.mode = words[at++];
    c.rate = words[at++];
    c.standardFourcc = words[at++];
    c.format7Fourcc = words[at++];
    if (c.rate >= kFrameRateCount || c.mode >= kFormat7ModeCount || !FindFrameFormat(c.standardFourcc) ||
        !FindFrameFormat(c.format7Fourcc)) {
        return kInvalidArg;
    }
    for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m, at += kFormat7Words) {
        c.format7[m] = {words[at], words[at + 1], words[at + 2], words[at + 3], words[at + 4], words[at + 5]};
        // Kept words come from outside the camera: a region must fit its mode.
        const Format7Region& r = c.format7[m];
        if (m_format7[m].caps.available && Failed(CheckRegion(m_format7[m], r.left, r.top, r.width, r.height, r.pixelFormat))) {
            return kInvalidArg;
        }
    }
    m_channels[channel] = c;
    return kOk;
}

ModelResult CameraModel::WriteMemoryChannelRegister(std::uint32_t address, std::uint32_t value) {
    Cell& cell = m_registers[address];
    switch (address) {
        case R::MEMORY_SAVE: {
            if (!zkv::GetField(value, zkv::MemorySave::Save)) return kOk;
            // Channel 0 is the factory settings and cannot be overwritten.
            const std::uint32_t channel = zkv::GetField(m_registers[R::MEM_SAVE_CH].value, zkv::MemSaveCh::Channel);
            if (channel == 0 || channel > m_channelCount) return kInvalidArg;
            m_channels[channel] = SaveChannel();
            return kOk;  // the save is done at once: the bit reads 0
        }
        case R::MEM_SAVE_CH: {
            if (zkv::GetField(value, zkv::MemSaveCh::Channel) > m_channelCount) return kInvalidArg;
            cell.value = zkv::SetField(0, zkv::MemSaveCh::Channel, zkv::GetField(value, zkv::MemSaveCh::Channel));
            return kOk;
        }
        default: {
            const std::uint32_t channel = zkv::GetField(value, zkv::CurMemCh::Channel);
            if (channel > m_channelCount) return kInvalidArg;
            const ModelResult hr = LoadChannel(m_channels[channel]);
            if (Failed(hr)) return hr;
            cell.value = zkv::SetField(0, zkv::CurMemCh::Channel, channel);
            return kOk;
        }
    }
}

}  // namespace zkvsim
