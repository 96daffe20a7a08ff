#include "FrameFormats.h"

#include <array>

#include "ZKVRequests.h"

namespace zkvsim {
namespace {

// How the camera sends a row of the system's table: the coding of its
// Format 7 pixel format (24-bit RGB for the uncompressed row) and the layout.
// Raw data without a Bayer tile is no subtype the camera sends.
struct Transmission {
    bool sent;
    ColorCoding coding;
    PackKind pack;
};

constexpr Transmission TransmissionOf(const zkv::FrameFormat& row) {
    switch (row.pixelFormat) {
        case 0: return {true, ColorCoding::Rgb8, PackKind::Rgb24BottomUp};
        case ZKV_PIXEL_MONO8: return {true, ColorCoding::Mono8, PackKind::Mono8};
        case ZKV_PIXEL_MONO16: return {true, ColorCoding::Mono16, PackKind::Mono16};
        case ZKV_PIXEL_YUV411: return {true, ColorCoding::Yuv411, PackKind::Yuv411};
        case ZKV_PIXEL_YUV422: return {true, ColorCoding::Yuv422, PackKind::Yuv422};
        case ZKV_PIXEL_YUV444: return {true, ColorCoding::Yuv444, PackKind::Yuv444};
        case ZKV_PIXEL_RAW8: return {row.tile != BayerTile::None, ColorCoding::Mono8, PackKind::Bayer8};
        default: return {false, ColorCoding::Mono8, PackKind::Mono8};
    }
}

constexpr bool Sent(const zkv::FrameFormat& row) { return TransmissionOf(row).sent; }

constexpr std::size_t kFormatCount = zkv::CountFrameFormats(Sent);

constexpr std::array<FrameFormat, kFormatCount> BuildFormats() {
    std::array<FrameFormat, kFormatCount> formats{};
    std::size_t n = 0;
    for (const zkv::FrameFormat& row : zkv::kFrameFormats) {
        const Transmission t = TransmissionOf(row);
        if (!t.sent) continue;
        formats[n++] = {row.fourcc, row.shownName, row.bitCount, t.coding, t.pack, row.pixelFormat, row.tile};
    }
    return formats;
}

constexpr std::array<FrameFormat, kFormatCount> kFormats = BuildFormats();

}  // namespace

const FrameFormat* FrameFormats(std::size_t* count) {
    *count = kFormats.size();
    return kFormats.data();
}

const FrameFormat* FindFrameFormat(std::uint32_t fourcc) {
    for (const FrameFormat& f : kFormats) {
        if (f.fourcc == fourcc) return &f;
    }
    return nullptr;
}

std::size_t FrameBytes(const FrameFormat& format, std::uint32_t width, std::uint32_t height) {
    const std::size_t w = width, h = height;
    switch (format.pack) {
        case PackKind::Mono8:
        case PackKind::Bayer8:
            return (format.pack == PackKind::Bayer8 && (w % 2 || h % 2)) ? 0 : w * h;
        case PackKind::Mono16:
            return 2 * w * h;
        case PackKind::Yuv411:
            return w % 4 ? 0 : 6 * (w / 4) * h;
        case PackKind::Yuv422:
            return w % 2 ? 0 : 2 * w * h;
        case PackKind::Yuv444:
            return 3 * w * h;
        case PackKind::Rgb24BottomUp:
            // DIB rows are padded to a multiple of four bytes.
            return ((3 * w + 3) & ~static_cast<std::size_t>(3)) * h;
    }
    return 0;
}

zkv::TileColour TileColorAt(BayerTile tile, std::uint32_t row, std::uint32_t column) {
    return zkv::TileColourAt(tile, row, column);
}

}  // namespace zkvsim
