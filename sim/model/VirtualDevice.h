// One virtual camera as its capture filter sees it: the camera model behind
// the vendor property set, the video proc amp and the stream configuration,
// with the faults injected into those paths and the read-back of what the
// camera was asked. Every method is safe to call from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "CameraModel.h"
#include "DeviceSettings.h"

namespace zkvsim {

// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER): a request record too short.
constexpr ModelResult kBufferTooSmall = static_cast<ModelResult>(0x8007007Au);
// Register writes kept for read-back; the oldest are dropped beyond it.
constexpr std::size_t kRegisterWriteLogLimit = 65536;

// Faults that another process changes while the device is in use: the
// source answers true with the new list when its generation is no longer
// *generation, and updates it.
using LiveFaultSource = std::function<bool(std::uint32_t* generation, std::vector<FaultSpec>* faults)>;

// Where the device keeps its user memory channels beyond the device object:
// load answers false for a channel never saved; save reports its result.
struct ChannelStore {
    std::function<bool(std::uint32_t channel, std::vector<std::uint32_t>* words)> load;
    std::function<ModelResult(std::uint32_t channel, const std::vector<std::uint32_t>& words)> save;
};

class VirtualDevice {
public:
    explicit VirtualDevice(const DeviceSettings& settings);

    // Becomes the device the settings describe (a fresh camera, without a
    // live fault source or channel store).
    void Configure(const DeviceSettings& settings);
    // Consulted besides the installed faults; a live fault wins over an
    // installed one of the same point and key.
    void SetLiveFaultSource(LiveFaultSource source);
    // Loads the channels kept there, and saves each MEMORY_SAVE there.
    void SetChannelStore(ChannelStore store);
    DeviceSettings Settings() const;

    void SetFault(std::uint32_t point, std::uint32_t key, ModelResult result);
    void ClearFaults();
    // The injected failure for a request, or kOk.
    ModelResult Fault(std::uint32_t point, std::uint32_t key) const;

    bool IsWithheld(std::uint32_t which) const;
    void Withhold(std::uint32_t which, bool withhold);

    // The vendor property set: data holds the request record, in and out.
    ModelResult PropertyGet(std::uint32_t id, std::uint8_t* data, std::uint32_t size, std::uint32_t* returned);
    ModelResult PropertySet(std::uint32_t id, const std::uint8_t* data, std::uint32_t size);
    static bool IsVendorProperty(std::uint32_t id);

    // Read-back of the requests as received.
    ModelResult LastRequest(std::uint32_t id, bool set, std::uint8_t* record, std::uint32_t size) const;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> RegisterWrites() const;
    void ClearRegisterWrites();

    // Behind the back of every client: neither faulted nor logged.
    ModelResult PeekRegister(std::uint32_t address, std::uint32_t* value) const;
    ModelResult PokeRegister(std::uint32_t address, std::uint32_t value);
    ModelResult SetFormat7ModeAvailable(std::uint32_t mode, bool available);

    ModelResult ProcAmpGetRange(std::int32_t code, ProcAmpRange* range) const;
    ModelResult ProcAmpGet(std::int32_t code, std::int32_t* value, std::int32_t* flags) const;
    ModelResult ProcAmpSet(std::int32_t code, std::int32_t value, std::int32_t flags);

    ModelResult GetStreamFormat(StreamFormat* format) const;
    ModelResult CheckStreamFormat(const StreamFormat& format) const;
    ModelResult SetStreamFormat(const StreamFormat& format);
    ModelResult GetNumberOfCapabilities(std::uint32_t* count) const;
    ModelResult GetStreamCapability(std::uint32_t index, StreamCapability* cap) const;

    // The camera's own format and a format change on connection: no faults.
    StreamFormat CurrentStreamFormat() const;
    ModelResult ApplyStreamFormat(const StreamFormat& format);

    std::uint32_t BufferCount() const;
    std::int64_t FrameInterval() const;
    BayerTile SensorTile() const;
    void SetStreaming(bool streaming);

    // The capture pin's frame times: whether to deliver a frame now (with its
    // number), the drop faults, frames lost on the way, and the counts
    // IAMDroppedFrames reports.
    FrameDecision NextFrame(std::uint64_t* number = nullptr);
    std::uint64_t MissFrames(std::uint64_t count);
    void FrameDelivered();
    void LoseFrame(std::uint64_t number);
    void DropFrames(std::uint32_t count);
    void FrameCounts(std::uint64_t* delivered, std::uint64_t* dropped) const;
    std::uint64_t FramesTaken() const;
    std::vector<std::uint64_t> DroppedFrameNumbers() const;
    void ResetFrameCounts();

private:
    using FaultTable = std::map<std::pair<std::uint32_t, std::uint32_t>, ModelResult>;
    ModelResult FaultLocked(std::uint32_t point, std::uint32_t key) const;
    void PollLiveFaultsLocked() const;
    std::uint32_t DropPeriodLocked() const;
    ModelResult RegisterGet(std::uint8_t* data);
    ModelResult RegisterSet(const std::uint8_t* data);

    mutable std::mutex m_lock;
    DeviceSettings m_settings;
    CameraModel m_model;
    FaultTable m_faults;
    LiveFaultSource m_liveSource;
    mutable std::uint32_t m_liveGeneration = 0;
    mutable FaultTable m_liveFaults;
    ChannelStore m_channelStore;
    std::uint32_t m_withheld = 0;
    std::map<std::pair<std::uint32_t, bool>, std::vector<std::uint8_t>> m_lastRequests;
    std::deque<std::pair<std::uint32_t, std::uint32_t>> m_registerWrites;
};

}  // namespace zkvsim
