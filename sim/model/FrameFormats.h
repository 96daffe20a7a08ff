// The frame formats the virtual camera delivers: the rows of the system's
// frame format table that a camera sends (every output subtype, the raw Bayer
// ones by the sensor's mosaic), each with the IIDC coding it is sent in and
// its layout in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ZKVFrameFormats.h"

namespace zkvsim {

using zkv::MakeFourcc;

// The IIDC colour coding a camera mode transmits.
enum class ColorCoding { Mono8, Mono16, Yuv411, Yuv422, Yuv444, Rgb8 };

// The colour filter tile of a Bayer sensor, numbered as the codec numbers it.
using BayerTile = zkv::BayerTile;

// How a frame of the format is laid out in memory.
enum class PackKind { Mono8, Mono16, Yuv411, Yuv422, Yuv444, Rgb24BottomUp, Bayer8 };

struct FrameFormat {
    std::uint32_t fourcc;       // biCompression; 0 for uncompressed RGB
    const char* name;           // as the streaming page names it
    std::uint16_t bitCount;     // biBitCount
    ColorCoding coding;         // the IIDC coding the camera sends it in
    PackKind pack;
    std::uint32_t format7Code;  // ZKVPixelFormatCode of the coding in Format 7
    BayerTile assumedTile;      // the tile a Bayer FOURCC tells the codec
};

// Every format of the table, in the order the pin lists them per resolution.
const FrameFormat* FrameFormats(std::size_t* count);
const FrameFormat* FindFrameFormat(std::uint32_t fourcc);

// Bytes of one packed W x H frame; 0 when the size does not suit the layout.
std::size_t FrameBytes(const FrameFormat& format, std::uint32_t width, std::uint32_t height);

// The tile colour at (row, column).
zkv::TileColour TileColorAt(BayerTile tile, std::uint32_t row, std::uint32_t column);

}  // namespace zkvsim
