#include "StartFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CameraModel.h"
#include "DeviceKinds.h"

namespace zkvsim {

bool ParseStartFormat(const std::string& text, StartFormat* start) {
    *start = StartFormat{};
    if (text.empty()) return true;
    if (text.size() < 8 || text[4] != ':') return false;
    StartFormat s;
    s.given = true;
    for (int i = 0; i < 4; ++i) s.fourcc |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    const char* p = text.c_str() + 5;
    char* end = nullptr;
    const unsigned long width = std::strtoul(p, &end, 10);
    if (end == p || *end != 'x') return false;
    p = end + 1;
    const unsigned long height = std::strtoul(p, &end, 10);
    if (end == p || width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return false;
    s.width = static_cast<std::uint32_t>(width);
    s.height = static_cast<std::uint32_t>(height);
    if (*end == '@') {
        p = end + 1;
        const double fps = std::strtod(p, &end);
        if (end == p || *end) return false;
        bool found = false;
        for (std::uint32_t i = 0; i < kFrameRateCount && !found; ++i) {
            const double rate = 1.875 * (1u << i);
            if (fps > rate * 0.999 && fps < rate * 1.001) {
                s.frameInterval = FrameIntervalOfRate(i);
                found = true;
            }
        }
        if (!found) return false;
    } else if (*end) {
        return false;
    }
    *start = s;
    return true;
}

std::string FormatStartFormat(const StartFormat& start) {
    if (!start.given) return std::string();
    char text[64];
    const char fourcc[5] = {static_cast<char>(start.fourcc), static_cast<char>(start.fourcc >> 8),
                            static_cast<char>(start.fourcc >> 16), static_cast<char>(start.fourcc >> 24), 0};
    int n = std::snprintf(text, sizeof text, "%s:%ux%u", fourcc, static_cast<unsigned>(start.width),
                          static_cast<unsigned>(start.height));
    if (start.frameInterval > 0) {
        const double fps = 1.875 * (1u << RateNearestInterval(start.frameInterval));
        std::snprintf(text + n, sizeof text - n, "@%g", fps);
    }
    return text;
}

StreamFormat StreamFormatOf(const StartFormat& start) {
    StreamFormat f;
    f.fourcc = start.fourcc;
    f.width = f.sceneWidth = start.width;
    f.height = f.sceneHeight = start.height;
    f.frameInterval = start.frameInterval;
    return f;
}

}  // namespace zkvsim
