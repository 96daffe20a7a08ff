#include "FramePacker.h"

#include <cmath>
#include <vector>

namespace zkvsim {
namespace {

// Coefficients of the decoder's rule, each over 8192.
constexpr double kY = 9576.0 / 8192, kUb = 13123.0 / 8192, kUg = 6686.0 / 8192;
constexpr double kVg = 3218.0 / 8192, kVr = 16591.0 / 8192;

std::uint8_t Clamp(double v) {
    const double r = std::floor(v + 0.5);
    return static_cast<std::uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

// Scene colours of one output row, in sensor coordinates.
void SceneRow(const StreamFormat& f, std::uint32_t row, std::uint64_t frame, std::vector<Rgb>& out) {
    out.resize(f.width);
    for (std::uint32_t x = 0; x < f.width; ++x) {
        out[x] = SceneColor(f.left + x, f.top + row, f.sceneWidth, f.sceneHeight, frame);
    }
}

Rgb Average(const Rgb* c, std::uint32_t n) {
    unsigned r = 0, g = 0, b = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        r += c[i].r;
        g += c[i].g;
        b += c[i].b;
    }
    return {static_cast<std::uint8_t>(r / n), static_cast<std::uint8_t>(g / n), static_cast<std::uint8_t>(b / n)};
}

std::uint8_t Channel(Rgb c, zkv::TileColour color) {
    return color == zkv::kTileRed ? c.r : (color == zkv::kTileGreen ? c.g : c.b);
}

}  // namespace

std::uint16_t Luma16(Rgb c) { return static_cast<std::uint16_t>(77 * c.r + 150 * c.g + 29 * c.b); }

Yuv RgbToYuv(Rgb c) {
    // Solve blue = kY*y + kUb*u, red = kY*y + kVr*v, green = kY*y - kUg*u - kVg*v.
    const double a = kUg / kUb, b = kVg / kVr;
    const double y = (c.g + a * c.b + b * c.r) / (kY * (1 + a + b));
    const double u = (c.b - kY * y) / kUb;
    const double v = (c.r - kY * y) / kVr;
    return {Clamp(y), Clamp(u + 128), Clamp(v + 128)};
}

std::size_t PackFrame(const StreamFormat& f, BayerTile sensorTile, std::uint64_t frame, std::uint8_t* out,
                      std::size_t capacity) {
    const FrameFormat* format = FindFrameFormat(f.fourcc);
    if (!format) return 0;
    const std::size_t bytes = FrameBytes(*format, f.width, f.height);
    if (bytes == 0 || bytes > capacity) return 0;
    std::vector<Rgb> row;
    const std::size_t rgbStride = bytes / (f.height ? f.height : 1);
    std::uint8_t* p = out;
    for (std::uint32_t y = 0; y < f.height; ++y) {
        SceneRow(f, y, frame, row);
        switch (format->pack) {
            case PackKind::Mono8:
                for (const Rgb& c : row) *p++ = static_cast<std::uint8_t>(Luma16(c) >> 8);
                break;
            case PackKind::Mono16:
                // IIDC sends 16-bit samples most significant byte first.
                for (const Rgb& c : row) {
                    const std::uint16_t l = Luma16(c);
                    *p++ = static_cast<std::uint8_t>(l >> 8);
                    *p++ = static_cast<std::uint8_t>(l & 0xFF);
                }
                break;
            case PackKind::Yuv444:
                for (const Rgb& c : row) {
                    const Yuv q = RgbToYuv(c);
                    *p++ = q.u;
                    *p++ = q.y;
                    *p++ = q.v;
                }
                break;
            case PackKind::Yuv422:
                for (std::uint32_t x = 0; x + 1 < f.width; x += 2) {
                    const Yuv c = RgbToYuv(Average(&row[x], 2));
                    *p++ = c.u;
                    *p++ = RgbToYuv(row[x]).y;
                    *p++ = c.v;
                    *p++ = RgbToYuv(row[x + 1]).y;
                }
                break;
            case PackKind::Yuv411:
                for (std::uint32_t x = 0; x + 3 < f.width; x += 4) {
                    const Yuv c = RgbToYuv(Average(&row[x], 4));
                    *p++ = c.u;
                    *p++ = RgbToYuv(row[x]).y;
                    *p++ = RgbToYuv(row[x + 1]).y;
                    *p++ = c.v;
                    *p++ = RgbToYuv(row[x + 2]).y;
                    *p++ = RgbToYuv(row[x + 3]).y;
                }
                break;
            case PackKind::Bayer8:
                for (std::uint32_t x = 0; x < f.width; ++x) {
                    *p++ = Channel(row[x], TileColorAt(sensorTile, f.top + y, f.left + x));
                }
                break;
            case PackKind::Rgb24BottomUp: {
                std::uint8_t* line = out + static_cast<std::size_t>(f.height - 1 - y) * rgbStride;
                std::size_t i = 0;
                for (const Rgb& c : row) {
                    line[i++] = c.b;
                    line[i++] = c.g;
                    line[i++] = c.r;
                }
                while (i < rgbStride) line[i++] = 0;
                break;
            }
        }
    }
    return bytes;
}

}  // namespace zkvsim
