// The register-level model of one IIDC camera and its driver: command and
// status registers with the feature registers and their absolute values,
// standard and Format 7 modes, the frame-buffer count, the video proc amp
// mapping and the stream formats the capture pin offers. Not thread-safe:
// VirtualDevice serialises access.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "DeviceKinds.h"
#include "DeviceSettings.h"
#include "FeatureTable.h"
#include "FrameFormats.h"
#include "FrameGate.h"
#include "ModelResult.h"
#include "ZKVRegisters.h"
#include "ZKVRequests.h"

namespace zkvsim {

// Registers the model gives a meaning of its own.
constexpr std::uint32_t kRegInitialize = zkv::CameraRegister::INITIALIZE;
constexpr std::uint32_t kRegCurVFrmRate = zkv::CameraRegister::CUR_V_FRM_RATE;
constexpr std::uint32_t kRegCurVMode = zkv::CameraRegister::CUR_V_MODE;
constexpr std::uint32_t kRegCurVFormat = zkv::CameraRegister::CUR_V_FORMAT;
constexpr std::uint32_t kRegIsoEn = zkv::CameraRegister::ISO_EN;
constexpr std::uint32_t kRegSerialNumber = zkv::CameraRegister::SERIAL_NUMBER;
constexpr std::uint32_t kRegisterSpaceEnd = zkv::kLastRegisterOffset;
using zkv::kFormat7;

constexpr std::uint32_t kDefaultBufferCount = 4;
constexpr std::uint32_t kMaxBufferCount = 64;

// User memory channels (BASIC_FUNC_INQ Memory_Channel); channel 0 is the
// factory settings.
constexpr std::uint32_t kMemoryChannelCount = 2;
// Frame times a one-push adjustment takes before it clears One_Push.
constexpr std::uint32_t kOnePushFrames = 4;

// A stream format of the capture pin in platform-neutral terms.
struct StreamFormat {
    std::uint32_t fourcc = 0;  // biCompression (0: 24-bit RGB)
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool format7 = false;      // a Format 7 region rather than a standard mode
    std::uint32_t left = 0;    // region position on the sensor (Format 7)
    std::uint32_t top = 0;
    std::uint32_t sceneWidth = 0;   // the picture the frame is cut from
    std::uint32_t sceneHeight = 0;
    std::int64_t frameInterval = 0;  // 100 ns units; 0 keeps the camera's rate
};

// One entry of the pin's IAMStreamConfig capabilities.
struct StreamCapability {
    StreamFormat format;
    std::uint32_t minWidth, minHeight, maxWidth, maxHeight;
    std::uint32_t granularityX, granularityY;
};

struct ProcAmpRange {
    std::int32_t min, max, step, defaultValue, capsFlags;
};

constexpr std::int32_t kProcAmpFlagAuto = 1;
constexpr std::int32_t kProcAmpFlagManual = 2;

class CameraModel {
public:
    CameraModel(const DeviceKind& kind, std::uint32_t serialNumber);

    const DeviceKind& Kind() const { return *m_kind; }
    // Takes away the controls a device lacks (MissingControl bits).
    void RemoveControls(std::uint32_t lacks);

    // Quadlet access as the camera answers the bus.
    ModelResult ReadRegister(std::uint32_t address, std::uint32_t* value) const;
    ModelResult WriteRegister(std::uint32_t address, std::uint32_t value);
    // Changes a register as the camera itself would, read-only ones included.
    ModelResult PokeRegister(std::uint32_t address, std::uint32_t value);

    // Format 7: the answer to a query of request.mode, and programming a mode.
    ModelResult GetFormat7(Format7Request* request) const;
    ModelResult SetFormat7(const Format7Request& request);
    ModelResult SetFormat7ModeAvailable(std::uint32_t mode, bool available);

    std::uint32_t BufferCount() const { return m_bufferCount; }
    ModelResult SetBufferCount(std::uint32_t count);

    ModelResult ProcAmpGetRange(std::int32_t code, ProcAmpRange* range) const;
    ModelResult ProcAmpGet(std::int32_t code, std::int32_t* value, std::int32_t* flags) const;
    ModelResult ProcAmpSet(std::int32_t code, std::int32_t value, std::int32_t flags);

    std::vector<StreamCapability> StreamCapabilities() const;
    StreamFormat CurrentStreamFormat() const;
    ModelResult CheckStreamFormat(const StreamFormat& format) const;
    ModelResult SetStreamFormat(const StreamFormat& format);
    std::int64_t FrameInterval() const;

    // While streaming (ISO_EN), the camera refuses to change its video format
    // or mode; the frame rate may change.
    void SetStreaming(bool streaming);

    // One frame time of the capture pin: whether a frame is delivered now
    // (trigger, one-shot, ISO_EN and the drop fault decide) and its number;
    // for each frame taken, features adjusting on one push take a step
    // towards their value.
    FrameDecision NextFrame(std::uint64_t* number = nullptr);
    // Frame times the host missed (FrameGate::MissFrames).
    std::uint64_t MissFrames(std::uint64_t count);

    // The user memory channels, 1..MemoryChannelCount(): a channel as words
    // to keep outside the camera, and a channel set from such words (refused
    // when they do not describe settings of this camera).
    std::uint32_t MemoryChannelCount() const { return m_channelCount; }
    std::vector<std::uint32_t> ChannelData(std::uint32_t channel) const;
    ModelResult SetChannelData(std::uint32_t channel, const std::vector<std::uint32_t>& data);
    // The frame counts and the drop fault.
    FrameGate& Gate() { return m_gate; }
    const FrameGate& Gate() const { return m_gate; }

private:
    struct FeatureState {
        const FeatureRow* row;
        std::uint32_t inquiry;
        std::uint32_t control;  // ON_OFF, A_M_Mode, Abs_Control and the value fields
        std::uint32_t absMin, absMax, absVal;  // IEEE single-precision bits
        std::uint32_t onePushFramesLeft = 0;
    };
    struct Format7State {
        Format7ModeSpec caps;
        std::uint32_t left, top, width, height, pixelFormat, speed;
    };
    // What a memory channel holds: the feature values, the trigger set-up
    // and the video format.
    struct FeatureSetting {
        std::uint32_t control, absVal;
    };
    struct Format7Region {
        std::uint32_t left, top, width, height, pixelFormat, speed;
    };
    struct ChannelSettings {
        std::vector<FeatureSetting> features;
        std::uint32_t triggerMode = 0;
        std::uint32_t format = 0, mode = 0, rate = 0;
        std::uint32_t standardFourcc = 0, format7Fourcc = 0;
        Format7Region format7[kFormat7ModeCount] = {};
    };
    struct Cell {
        std::uint32_t value;
        bool writable;
    };

    void ResetFeatures();
    FeatureState* FeatureAt(std::uint32_t address, std::uint32_t* role);
    const FeatureState* FeatureAt(std::uint32_t address, std::uint32_t* role) const;
    ModelResult WriteFeature(FeatureState& f, std::uint32_t role, std::uint32_t value);
    void SyncAbsoluteFromRaw(FeatureState& f);
    void SyncRawFromAbsolute(FeatureState& f);
    const FeatureState* ProcAmpFeature(std::int32_t code) const;
    ModelResult CheckRegion(const Format7State& mode, std::uint32_t left, std::uint32_t top,
                            std::uint32_t width, std::uint32_t height, std::uint32_t pixelFormat) const;
    const StandardMode* FindStandardMode(std::uint32_t format, std::uint32_t mode) const;
    std::uint32_t DefaultFourccOfPixelFormat(std::uint32_t pixelFormat) const;
    bool OffersFormat(const FrameFormat& format) const;
    void StartOnePush(FeatureState& f);
    void StepOnePush();
    static bool IsMemoryChannelRegister(std::uint32_t address);
    ModelResult WriteMemoryChannelRegister(std::uint32_t address, std::uint32_t value);
    ChannelSettings SaveChannel() const;
    ModelResult LoadChannel(const ChannelSettings& settings);

    const DeviceKind* m_kind;
    std::vector<FeatureState> m_features;
    Format7State m_format7[kFormat7ModeCount];
    std::map<std::uint32_t, Cell> m_registers;  // every other implemented register
    std::uint32_t m_format = 0, m_mode = 0, m_rate = 3;
    std::uint32_t m_standardFourcc = 0;
    std::uint32_t m_format7Fourcc = 0;
    std::uint32_t m_bufferCount = kDefaultBufferCount;
    bool m_streaming = false;
    std::uint32_t m_lacks = 0;
    std::uint32_t m_channelCount = kMemoryChannelCount;
    FrameGate m_gate;
    // [0] the factory settings, then the user channels. Kept as long as the
    // model lives; the device keeps them beyond (ChannelData).
    ChannelSettings m_channels[kMemoryChannelCount + 1];
};

}  // namespace zkvsim
