// Finds the virtual cameras among the video input devices, as an application
// finds cameras, and opens one: its capture filter, capture pin and the
// control interface for fault injection and read-back.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MediaType.h"
#include "ZKVInterface.h"
#include "ZKVVirtualCameraControl.h"

struct VirtualCamera {
    VirtualCamera() = default;
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;
    ~VirtualCamera();

    std::string name;  // the device's friendly name
    IBaseFilter* filter = nullptr;
    IPin* pin = nullptr;  // the capture (output) pin
    IAMStreamConfig* config = nullptr;
    IZKVVirtualCameraControl* control = nullptr;
    IZKVInterface* camera = nullptr;
};

// Opens the first video input device whose friendly name ends in "(label)",
// as the virtual cameras are named after their kind; false when there is none.
bool OpenVirtualCamera(const std::string& label, VirtualCamera* camera);

// The pin's current video format.
struct PinFormat {
    bool valid = false;
    VIDEOINFOHEADER info{};
    GUID subtype{};
};
PinFormat CurrentPinFormat(IAMStreamConfig* config);

// One capability of the pin.
struct PinCapability {
    VIDEOINFOHEADER info{};
    VIDEO_STREAM_CONFIG_CAPS caps{};
};
std::vector<PinCapability> PinCapabilities(IAMStreamConfig* config);

// Sets the first capability that `match` accepts; false when none did.
template <class Match>
bool SetFirstCapability(IAMStreamConfig* config, Match match);

// The resolution text the page shows for a format.
std::string ResolutionOf(const VIDEOINFOHEADER& info);
std::string FourccText(std::uint32_t fourcc);

// The last Format 7 request that the camera received in the given direction.
Format7Request LastFormat7Request(IZKVVirtualCameraControl* control, bool set);
BufferCountRequest LastBufferCountRequest(IZKVVirtualCameraControl* control);

template <class Match>
bool SetFirstCapability(IAMStreamConfig* config, Match match) {
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size))) return false;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)) != S_OK) continue;
        auto* info = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        bool take = match(*info, caps);
        if (take) config->SetFormat(mt);
        DeleteMediaType(mt);
        if (take) return true;
    }
    return false;
}
