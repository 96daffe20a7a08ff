// The plain conversions of the mono and YUV formats, one row at a time, and
// the walk over the rows of a frame. The plain converters are these rows
// walked over the frame; the fast ones run their vector body and hand the end
// of each row to the same row function, so every conversion has one plain
// reference.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/FrameConverter.h"

// Converts the rows of a frame one by one; rowBytes is the packed input bytes
// of one row. The row function gets the input row, its output row and the
// width. Rows without input bytes have no pixels to write,
// so a header of width 0 and a huge height costs nothing.
template <typename Row>
inline void ForEachRow(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                       std::size_t rowBytes, Row row) {
    if (rowBytes == 0) return;
    const std::uint32_t width = static_cast<std::uint32_t>(inFormat->biWidth);
    const std::uint32_t height = static_cast<std::uint32_t>(inFormat->biHeight);
    const std::uint8_t* source = static_cast<const std::uint8_t*>(in);
    for (std::uint32_t r = 0; r < height; ++r, source += rowBytes) row(source, out.Row(r), width);
}

// The end of a frame's input, whose rows of rowBytes lie one after another.
inline const std::uint8_t* FrameInputEnd(const BITMAPINFOHEADER* inFormat, const void* in, std::size_t rowBytes) {
    return static_cast<const std::uint8_t*>(in) + rowBytes * static_cast<std::uint32_t>(inFormat->biHeight);
}

inline std::size_t Mono8RowBytes(const BITMAPINFOHEADER* in) {
    return static_cast<std::uint32_t>(in->biWidth);
}
inline std::size_t Mono16RowBytes(const BITMAPINFOHEADER* in) {
    return std::size_t{2} * static_cast<std::uint32_t>(in->biWidth);
}
inline std::size_t Yuv444RowBytes(const BITMAPINFOHEADER* in) {
    return std::size_t{3} * static_cast<std::uint32_t>(in->biWidth);
}
inline std::size_t Yuv411RowBytes(const BITMAPINFOHEADER* in) {
    return std::size_t{6} * (static_cast<std::uint32_t>(in->biWidth) / 4);
}

// `count` pixels (groups of four for 4:1:1) from `source` to `pixel`.
void Mono8Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count);
void Mono16Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count);
void Yuv444Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count);
void Yuv411Groups(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t groups);
