// Reading the capture pin's formats through IAMStreamConfig for the
// streaming configuration page. Every media type the pin hands out is freed
// with DeleteMediaType as soon as it has been read or passed to SetFormat; a
// call that fails or delivers no video format block yields nothing to read.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "StreamingFormatTables.h"

// A Format 7 media type carries the region in its source rectangle; a
// standard one leaves the rectangle's bottom at 0.
inline bool IsFormat7MediaType(const VIDEOINFOHEADER& info) { return info.rcSource.bottom != 0; }

// The driver marks its Format 7 capabilities with a minimum cropping width of 1.
inline bool IsFormat7Capability(const VIDEO_STREAM_CONFIG_CAPS& caps) {
    return caps.MinCroppingSize.cx == 1;
}

// A copy of the pin's current video format.
struct CurrentVideoFormat {
    VIDEOINFOHEADER info{};
    char resolution[kFormatNameSize]{};
};

// The video format block of a delivered media type, or null when it has none
// large enough to be read as a VIDEOINFOHEADER.
VIDEOINFOHEADER* VideoInfoOf(AM_MEDIA_TYPE* mediaType);

// GetFormat into `current`; false when the pin delivered no readable format.
bool ReadCurrentFormat(IAMStreamConfig* config, CurrentVideoFormat* current);

// One capability as the pin delivered it, valid during the visit only.
struct CapabilityView {
    int index;
    AM_MEDIA_TYPE* mediaType;
    VIDEOINFOHEADER* info;
    const VIDEO_STREAM_CONFIG_CAPS* caps;
};

class CapabilityWalk {
public:
    // Reads GetNumberOfCapabilities; a failure leaves no capability to visit.
    explicit CapabilityWalk(IAMStreamConfig* config);
    ~CapabilityWalk();
    CapabilityWalk(const CapabilityWalk&) = delete;
    CapabilityWalk& operator=(const CapabilityWalk&) = delete;

    // Visits each readable capability in the pin's order until `visit`
    // returns true; capabilities the pin fails to deliver are passed over.
    template <class Visit>
    void ForEach(Visit visit) {
        for (int index = 0; index < m_count; ++index) {
            CapabilityView view{};
            if (!Fetch(index, &view)) continue;
            bool stop = visit(view);
            Free(view.mediaType);
            if (stop) break;
        }
    }

private:
    bool Fetch(int index, CapabilityView* view);
    static void Free(AM_MEDIA_TYPE* mediaType);

    IAMStreamConfig* m_config;
    int m_count = 0;
    // Room for the capability record in the size the pin reports.
    VIDEO_STREAM_CONFIG_CAPS* m_caps = nullptr;
};
