// One virtual camera as its capture filter sees it: the camera model behind
// the vendor property set, the video proc amp and the stream configuration,
// with the faults injected into those paths and the read-back of what the
// camera was asked. Every method is safe to call from any thread.
#pragma once

#include <cstdint>
#include <deque>
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

class VirtualDevice {
public:
    explicit VirtualDevice(const DeviceSettings& settings);

    // Becomes the device the settings describe (a fresh camera).
    void Configure(const DeviceSettings& settings);
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

    // The capture pin's frame times: whether to deliver a frame now, the
    // drop fault, and the counts IAMDroppedFrames reports.
    FrameDecision NextFrame();
    void DropFrames(std::uint32_t count);
    void FrameCounts(std::uint64_t* delivered, std::uint64_t* dropped) const;
    std::vector<std::uint64_t> DroppedFrameNumbers() const;
    void ResetFrameCounts();

private:
    ModelResult FaultLocked(std::uint32_t point, std::uint32_t key) const;
    ModelResult RegisterGet(std::uint8_t* data);
    ModelResult RegisterSet(const std::uint8_t* data);

    mutable std::mutex m_lock;
    DeviceSettings m_settings;
    CameraModel m_model;
    std::map<std::pair<std::uint32_t, std::uint32_t>, ModelResult> m_faults;
    std::uint32_t m_withheld = 0;
    std::map<std::pair<std::uint32_t, bool>, std::vector<std::uint8_t>> m_lastRequests;
    std::deque<std::pair<std::uint32_t, std::uint32_t>> m_registerWrites;
};

}  // namespace zkvsim
