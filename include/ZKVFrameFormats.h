// The camera frame formats that the whole system shares: one row per output
// subtype a capture pin can carry (and the raw sensor format of Format 7),
// with the FOURCC, the name the plug-in shows, the bit count, the packed byte
// layout, the Format 7 pixel-format bit, and the converter and Bayer tile the
// codec decodes it with. The codec, the plug-in's streaming page and the
// virtual camera all read their format lists from this table.
// Platform-neutral and header-only, so that each module compiles it in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ZKVRequests.h"

namespace zkv {

// A FOURCC: four ASCII bytes, the first in the lowest byte.
constexpr std::uint32_t MakeFourcc(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}
constexpr std::uint32_t MakeFourcc(const char (&code)[5]) {
    return MakeFourcc(code[0], code[1], code[2], code[3]);
}

// The codec's converters, numbered as a codec instance stores them.
enum class ConverterKind : std::uint32_t {
    Mono8 = 0,
    Mono16 = 1,
    Yuv444 = 2,
    Yuv411 = 3,
    BayerFast = 4,
    BayerNearest = 5,
    BayerEdge = 6,
};
constexpr std::size_t kConverterKindCount = 7;

// The colours of the top-left 2 x 2 pixels of a raw Bayer frame, row by row.
enum class BayerTile : std::uint32_t {
    None = 0,
    RGGB = 1,
    GRBG = 2,
    GBRG = 3,
    BGGR = 4,
};
constexpr std::size_t kBayerTileCount = 5;

// A colour is also its byte position in a 32-bit output pixel.
enum TileColour : std::uint8_t { kTileBlue = 0, kTileGreen = 1, kTileRed = 2 };

// The colours at (even row, even column), (even, odd), (odd, even), (odd, odd)
// per tile; a frame without a tile reads as green everywhere.
inline constexpr TileColour kTileColours[kBayerTileCount][4] = {
    {kTileGreen, kTileGreen, kTileGreen, kTileGreen},  // None
    {kTileRed, kTileGreen, kTileGreen, kTileBlue},     // RGGB
    {kTileGreen, kTileRed, kTileBlue, kTileGreen},     // GRBG
    {kTileGreen, kTileBlue, kTileRed, kTileGreen},     // GBRG
    {kTileBlue, kTileGreen, kTileGreen, kTileRed},     // BGGR
};

// The four colours of a tile code; an unknown code counts as no tile.
constexpr const TileColour* TileColours(std::uint32_t tile) {
    return kTileColours[tile < kBayerTileCount ? tile : 0];
}

constexpr TileColour TileColourAt(BayerTile tile, std::uint32_t row, std::uint32_t column) {
    return TileColours(static_cast<std::uint32_t>(tile))[(row & 1) * 2 + (column & 1)];
}

struct FrameFormat {
    char name[5];            // the FOURCC as text; empty for uncompressed RGB
    std::uint32_t fourcc;    // as it stands in biCompression; 0 for uncompressed RGB
    const char* shownName;   // the streaming page's name of the format
    std::uint16_t bitCount;  // biBitCount
    // A packed row is bytesPerGroup x (W / pixelsPerGroup) bytes; rows follow
    // each other without padding, the top row first.
    std::uint32_t bytesPerGroup;
    std::uint32_t pixelsPerGroup;
    std::uint32_t pixelFormat;  // ZKVPixelFormatCode of its Format 7 coding; 0 for none
    bool decoded;               // the codec accepts it; kind and tile then apply
    ConverterKind kind;
    BayerTile tile;
    bool outputSubtype;         // among the colour conversions the page lists
    int pixelFormatRow;         // its row in the page's Format 7 pixel-format list, or -1
};

namespace frame_format_rows {

using K = ConverterKind;
using T = BayerTile;

constexpr FrameFormat Decoded(const char (&name)[5], const char* shown, std::uint16_t bitCount,
                              std::uint32_t bytes, std::uint32_t pixels, std::uint32_t pixelFormat,
                              ConverterKind kind, int pixelFormatRow, BayerTile tile = BayerTile::None) {
    return FrameFormat{{name[0], name[1], name[2], name[3], 0},
                       MakeFourcc(name),
                       shown,
                       bitCount,
                       bytes,
                       pixels,
                       pixelFormat,
                       true,
                       kind,
                       tile,
                       true,
                       pixelFormatRow};
}

constexpr FrameFormat Bayer(const char (&name)[5], const char* shown, ConverterKind kind, BayerTile tile) {
    return Decoded(name, shown, 8, 1, 1, ZKV_PIXEL_RAW8, kind, -1, tile);
}

// A format the codec leaves to other decoders.
constexpr FrameFormat Foreign(const char (&name)[5], const char* shown, std::uint16_t bitCount,
                              std::uint32_t bytes, std::uint32_t pixelFormat, bool outputSubtype,
                              int pixelFormatRow) {
    return FrameFormat{{name[0], name[1], name[2], name[3], 0},
                       name[0] ? MakeFourcc(name) : 0,
                       shown,
                       bitCount,
                       bytes,
                       1,
                       pixelFormat,
                       false,
                       ConverterKind::Mono8,
                       BayerTile::None,
                       outputSubtype,
                       pixelFormatRow};
}

// In the order in which the page lists the colour conversions and the
// virtual camera offers its subtypes per resolution.
inline constexpr FrameFormat kFrameFormats[] = {
    Decoded("Y800", "Y800", 8, 1, 1, ZKV_PIXEL_MONO8, K::Mono8, 0),
    Decoded("ZKVY", "Y(Mono)", 8, 1, 1, ZKV_PIXEL_MONO8, K::Mono8, 1),
    Decoded("ZY16", "Y(Mono16)", 16, 2, 1, ZKV_PIXEL_MONO16, K::Mono16, 5),
    Decoded("ZY41", "YUV(4:1:1)", 12, 6, 4, ZKV_PIXEL_YUV411, K::Yuv411, 2),
    Foreign("UYVY", "YUV(4:2:2)", 16, 2, ZKV_PIXEL_YUV422, true, 3),
    Decoded("ZY44", "YUV(4:4:4)", 24, 3, 1, ZKV_PIXEL_YUV444, K::Yuv444, 4),
    Foreign("\0\0\0\0", "RGB24", 24, 3, 0, true, -1),
    Bayer("RGB1", "RGGB Nearest Neighbor Fast", K::BayerFast, T::RGGB),
    Bayer("RGB2", "RGGB Nearest Neighbor", K::BayerNearest, T::RGGB),
    Bayer("RGB3", "RGGB Edge Sensing", K::BayerEdge, T::RGGB),
    Bayer("BGR1", "BGGR Nearest Neighbor Fast", K::BayerFast, T::BGGR),
    Bayer("BGR2", "BGGR Nearest Neighbor", K::BayerNearest, T::BGGR),
    Bayer("BGR3", "BGGR Edge Sensing", K::BayerEdge, T::BGGR),
    Bayer("GRB1", "GRBG Nearest Neighbor Fast", K::BayerFast, T::GRBG),
    Bayer("GRB2", "GRBG Nearest Neighbor", K::BayerNearest, T::GRBG),
    Bayer("GRB3", "GRBG Edge Sensing", K::BayerEdge, T::GRBG),
    Bayer("GBR1", "GBRG Nearest Neighbor Fast", K::BayerFast, T::GBRG),
    Bayer("GBR2", "GBRG Nearest Neighbor", K::BayerNearest, T::GBRG),
    Bayer("GBR3", "GBRG Edge Sensing", K::BayerEdge, T::GBRG),
    Foreign("RAW8", "Raw8", 8, 1, ZKV_PIXEL_RAW8, false, 6),
};

}  // namespace frame_format_rows

using frame_format_rows::kFrameFormats;
constexpr std::size_t kFrameFormatCount = sizeof(kFrameFormats) / sizeof(kFrameFormats[0]);

// The row of a FOURCC (0: uncompressed RGB), or null.
constexpr const FrameFormat* FindFrameFormat(std::uint32_t fourcc) {
    for (const FrameFormat& f : kFrameFormats) {
        if (f.fourcc == fourcc) return &f;
    }
    return nullptr;
}

// Bytes of one packed W x H frame of the format.
constexpr std::uint64_t FrameByteCount(const FrameFormat& format, std::uint32_t width,
                                       std::uint32_t height) {
    return static_cast<std::uint64_t>(format.bytesPerGroup) * (width / format.pixelsPerGroup) * height;
}

// The rows for which keep(row) holds, in table order, as an array of N rows;
// N is CountFrameFormats(keep).
template <typename Keep>
constexpr std::size_t CountFrameFormats(Keep keep) {
    std::size_t n = 0;
    for (const FrameFormat& f : kFrameFormats) n += keep(f) ? 1 : 0;
    return n;
}

template <std::size_t N, typename Keep>
constexpr std::array<FrameFormat, N> SelectFrameFormats(Keep keep) {
    std::array<FrameFormat, N> rows{};
    std::size_t n = 0;
    for (const FrameFormat& f : kFrameFormats) {
        if (keep(f)) rows[n++] = f;
    }
    return rows;
}

}  // namespace zkv
