// The kinds of virtual camera: sensor, colour codings of the standard modes,
// Format 7 modes and the format the camera starts in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "FrameFormats.h"

namespace zkvsim {

constexpr std::uint32_t kFormat7ModeCount = 8;  // IIDC modes 0..7 of Format 7

struct Format7ModeSpec {
    bool available;
    std::uint32_t maxWidth;
    std::uint32_t maxHeight;
    std::uint32_t horizontalUnit;  // position and size unit in x
    std::uint32_t verticalUnit;    // position and size unit in y
    std::uint32_t supportedPixelFormats;  // ZKVPixelFormatCode bit set
    std::uint32_t defaultPixelFormat;
};

// Colour codings as a bit set: 1 << ColorCoding.
constexpr std::uint32_t CodingBit(ColorCoding c) { return 1u << static_cast<int>(c); }

struct DeviceKind {
    const char* name;       // as given to the installer, e.g. "bayer"
    const char* label;      // part of the friendly name, e.g. "Bayer RGGB"
    BayerTile tile;         // None for a sensor without a colour filter
    std::uint32_t codings;  // colour codings of the standard modes
    std::uint32_t defaultFourcc;
    std::uint32_t defaultWidth;
    std::uint32_t defaultHeight;
    Format7ModeSpec format7[kFormat7ModeCount];
};

const DeviceKind* DeviceKinds(std::size_t* count);
const DeviceKind* FindDeviceKind(const std::string& name);

// An IIDC standard video mode (Formats 0 to 2).
struct StandardMode {
    std::uint32_t format;
    std::uint32_t mode;
    std::uint32_t width;
    std::uint32_t height;
    ColorCoding coding;
};

const StandardMode* StandardModes(std::size_t* count);

// Frame rates of CUR_V_FRM_RATE (field in bits 31..29): 1.875 fps << index.
constexpr std::uint32_t kFrameRateCount = 6;
// Frame interval in 100 ns units for a rate index.
std::int64_t FrameIntervalOfRate(std::uint32_t rateIndex);
// The rate index whose interval is nearest to the given one.
std::uint32_t RateNearestInterval(std::int64_t interval);

}  // namespace zkvsim
