// The format a virtual camera is powered on in, when the installer names one
// instead of the kind's default: "FOURCC:WIDTHxHEIGHT" with an optional
// "@fps" (1.875, 3.75, 7.5, 15, 30 or 60), e.g. "RGB3:1280x960@7.5".
#pragma once

#include <cstdint>
#include <string>

namespace zkvsim {

struct StreamFormat;  // CameraModel.h, which includes this header through DeviceSettings.h

struct StartFormat {
    bool given = false;  // false: the kind's default format at 15 fps
    std::uint32_t fourcc = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int64_t frameInterval = 0;  // 0 keeps the camera's start rate
};

// Empty text is no start format.
bool ParseStartFormat(const std::string& text, StartFormat* start);
std::string FormatStartFormat(const StartFormat& start);
StreamFormat StreamFormatOf(const StartFormat& start);

}  // namespace zkvsim
