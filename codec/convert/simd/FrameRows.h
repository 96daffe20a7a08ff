// What the fast mono and YUV converters share: the walk over the rows of a
// frame, and the plain per-pixel forms that finish a row where a vector would
// read past it. They are the rules of the plain converters, pixel by pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/FrameConverter.h"

// Converts the rows of a frame one by one; rowBytes is the packed input bytes
// of one row. The row function gets the input row, the output row (in memory,
// bottom-up) and the width. Rows without input bytes have no pixels to write,
// so a header of width 0 and a huge height costs nothing.
template <typename Row>
inline void ForEachRow(const BITMAPINFOHEADER* inFormat, const void* in, void* out,
                       std::size_t rowBytes, Row row) {
    if (rowBytes == 0) return;
    const std::uint32_t width = static_cast<std::uint32_t>(inFormat->biWidth);
    const std::uint32_t height = static_cast<std::uint32_t>(inFormat->biHeight);
    const std::uint8_t* source = static_cast<const std::uint8_t*>(in);
    for (std::uint32_t r = 0; r < height; ++r, source += rowBytes) {
        row(source, OutputRow(out, width, height, r), width);
    }
}

// Pixels to convert one by one before `out` + 4 x (that count) is aligned to
// `alignment` bytes (at most `limit`): a 32-byte store across two cache lines
// costs about twice an aligned one, and the platform's buffers are often only
// 8- or 16-byte aligned. Output rows of a pixel count of 4 bytes each.
inline std::uint32_t PixelsToAlignment(const std::uint8_t* out, std::uint32_t alignment,
                                       std::uint32_t limit) {
    const std::uint32_t misaligned = static_cast<std::uint32_t>(
        reinterpret_cast<std::uintptr_t>(out) & (alignment - 1));
    const std::uint32_t pixels = misaligned % 4 != 0 ? 0 : ((alignment - misaligned) % alignment) / 4;
    return pixels < limit ? pixels : limit;
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

inline void Mono8Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4) {
        pixel[0] = pixel[1] = pixel[2] = source[i];
        pixel[3] = 0;
    }
}

inline void Mono16Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4, source += 2) {
        pixel[0] = pixel[1] = pixel[2] = source[0];
        pixel[3] = source[1];
    }
}

inline void Yuv444Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4, source += 3) {
        YuvToRgbPixel(source[1], source[0], source[2], pixel);
    }
}

inline void Yuv411Groups(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t groups) {
    for (std::uint32_t g = 0; g < groups; ++g, pixel += 16, source += 6) {
        YuvToRgbPixel(source[1], source[0], source[3], pixel);
        YuvToRgbPixel(source[2], source[0], source[3], pixel + 4);
        YuvToRgbPixel(source[4], source[0], source[3], pixel + 8);
        YuvToRgbPixel(source[5], source[0], source[3], pixel + 12);
    }
}

// The YUV formula's coefficients as pairs of 16-bit factors for pmaddwd: a
// 32-bit lane holding (y, c - 128) times (luma factor, chroma factor) is the
// exact 32-bit sum of the formula. An arithmetic shift by 13 then gives the
// same clamped byte as the division toward zero: the two differ only for
// negative sums, which clamp to 0 either way.
constexpr std::int32_t PairFactors(int low, int high) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
                                     static_cast<std::uint32_t>(static_cast<std::uint16_t>(high))
                                         << 16);
}
constexpr std::int32_t kBlueFactors = PairFactors(9576, 13123);    // (y, u)
constexpr std::int32_t kGreenUFactors = PairFactors(9576, -6686);  // (y, u)
constexpr std::int32_t kGreenVFactors = PairFactors(0, -3218);     // (y, v)
constexpr std::int32_t kRedFactors = PairFactors(9576, 16591);     // (y, v)
constexpr int kYuvShift = 13;
constexpr std::int32_t kChromaBias = 128 << 16;  // taken off the high half of a (y, c) pair
