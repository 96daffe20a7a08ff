#include "FrameFormats.h"

#include "ZKVRequests.h"

namespace zkvsim {
namespace {

constexpr FrameFormat kFormats[] = {
    {MakeFourcc('Y', '8', '0', '0'), "Y800", 8, ColorCoding::Mono8, PackKind::Mono8, ZKV_PIXEL_MONO8, BayerTile::None},
    {MakeFourcc('Z', 'K', 'V', 'Y'), "Y(Mono)", 8, ColorCoding::Mono8, PackKind::Mono8, ZKV_PIXEL_MONO8, BayerTile::None},
    {MakeFourcc('Z', 'Y', '1', '6'), "Y(Mono16)", 16, ColorCoding::Mono16, PackKind::Mono16, ZKV_PIXEL_MONO16, BayerTile::None},
    {MakeFourcc('Z', 'Y', '4', '1'), "YUV(4:1:1)", 12, ColorCoding::Yuv411, PackKind::Yuv411, ZKV_PIXEL_YUV411, BayerTile::None},
    {MakeFourcc('U', 'Y', 'V', 'Y'), "YUV(4:2:2)", 16, ColorCoding::Yuv422, PackKind::Yuv422, ZKV_PIXEL_YUV422, BayerTile::None},
    {MakeFourcc('Z', 'Y', '4', '4'), "YUV(4:4:4)", 24, ColorCoding::Yuv444, PackKind::Yuv444, ZKV_PIXEL_YUV444, BayerTile::None},
    {0, "RGB24", 24, ColorCoding::Rgb8, PackKind::Rgb24BottomUp, 0, BayerTile::None},
    {MakeFourcc('R', 'G', 'B', '1'), "RGGB Nearest Neighbor Fast", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::RGGB},
    {MakeFourcc('R', 'G', 'B', '2'), "RGGB Nearest Neighbor", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::RGGB},
    {MakeFourcc('R', 'G', 'B', '3'), "RGGB Edge Sensing", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::RGGB},
    {MakeFourcc('B', 'G', 'R', '1'), "BGGR Nearest Neighbor Fast", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::BGGR},
    {MakeFourcc('B', 'G', 'R', '2'), "BGGR Nearest Neighbor", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::BGGR},
    {MakeFourcc('B', 'G', 'R', '3'), "BGGR Edge Sensing", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::BGGR},
    {MakeFourcc('G', 'R', 'B', '1'), "GRBG Nearest Neighbor Fast", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GRBG},
    {MakeFourcc('G', 'R', 'B', '2'), "GRBG Nearest Neighbor", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GRBG},
    {MakeFourcc('G', 'R', 'B', '3'), "GRBG Edge Sensing", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GRBG},
    {MakeFourcc('G', 'B', 'R', '1'), "GBRG Nearest Neighbor Fast", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GBRG},
    {MakeFourcc('G', 'B', 'R', '2'), "GBRG Nearest Neighbor", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GBRG},
    {MakeFourcc('G', 'B', 'R', '3'), "GBRG Edge Sensing", 8, ColorCoding::Mono8, PackKind::Bayer8, ZKV_PIXEL_RAW8, BayerTile::GBRG},
};

// Colours of (even,even), (even,odd), (odd,even), (odd,odd) per tile code.
constexpr int kTileColors[5][4] = {
    {1, 1, 1, 1},  // none
    {0, 1, 1, 2},  // RGGB
    {1, 0, 2, 1},  // GRBG
    {1, 2, 0, 1},  // GBRG
    {2, 1, 1, 0},  // BGGR
};

}  // namespace

const FrameFormat* FrameFormats(std::size_t* count) {
    *count = sizeof(kFormats) / sizeof(kFormats[0]);
    return kFormats;
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

int TileColorAt(BayerTile tile, std::uint32_t row, std::uint32_t column) {
    const auto t = static_cast<std::uint32_t>(tile);
    return kTileColors[t < 5 ? t : 0][(row & 1) * 2 + (column & 1)];
}

}  // namespace zkvsim
