// The frame converters: each turns one packed, top-down camera frame into a
// bottom-up 32-bit image of the same width and height (blue, green, red,
// fourth byte per pixel, rows of 4 x W bytes). ICM_DECOMPRESS runs the one
// chosen at ICM_DECOMPRESS_BEGIN, in the fast form for this processor
// (convert/simd/SimdConverters.h); kFrameConverters holds the plain forms,
// the reference the fast ones match bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ZKVFrameFormats.h"
#include "driver/CodecPlatform.h"

// The converter kinds and Bayer tiles of the system's frame format table.
using zkv::BayerTile;
using zkv::ConverterKind;
using zkv::kConverterKindCount;

// (input format, input bytes, output format, output bytes, tile code). Only the
// input's width and height are read; the caller has checked that both buffers
// hold the frame (see FormatTests.h).
using FrameConverter = void (*)(const BITMAPINFOHEADER* inFormat, const void* in,
                                const BITMAPINFOHEADER* outFormat, void* out, DWORD tile);

// Where a converter puts its rows: the output row of the top picture row, and
// the bytes from one picture row's output to the next one's. The bitmap of
// ICM_DECOMPRESS is bottom-up (a negative stride); an image for a caller that
// wants the top row first, with padded rows, has a positive stride.
struct OutputRows {
    std::uint8_t* top;
    std::ptrdiff_t stride;
    std::uint8_t* Row(std::uint32_t r) const { return top + static_cast<std::ptrdiff_t>(r) * stride; }
};

// A converter that writes its rows where `out` says; otherwise as FrameConverter.
using RowsConverter = void (*)(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                               DWORD tile);

// The rows of the bottom-up bitmap of W x H pixels at `out`.
inline OutputRows BottomUpRows(void* out, std::uint32_t width, std::uint32_t height) {
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(width) * 4;
    std::uint8_t* bytes = static_cast<std::uint8_t*>(out);
    return {height == 0 ? bytes : bytes + static_cast<std::ptrdiff_t>(height - 1) * rowBytes, -rowBytes};
}

// The FrameConverter form of a RowsConverter: into the bottom-up bitmap.
template <RowsConverter convert>
void BottomUp(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*, void* out,
              DWORD tile) {
    convert(inFormat, in,
            BottomUpRows(out, static_cast<std::uint32_t>(inFormat->biWidth),
                         static_cast<std::uint32_t>(inFormat->biHeight)),
            tile);
}

// The plain converters, indexed by ConverterKind, in both forms.
extern const FrameConverter kFrameConverters[kConverterKindCount];
extern const RowsConverter kRowsConverters[kConverterKindCount];

// The plain scalar converters, one family per file.
void Mono8(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void Mono16(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void Yuv444(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void Yuv411(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void BayerFast(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void BayerNearest(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);
void BayerEdge(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);

// The shared YUV-to-RGB formula: writes bytes 0, 1 and 2 of one output pixel
// (blue, green, red) from a luma byte and the two chroma bytes in stream order.
void YuvToRgbPixel(std::uint8_t y, std::uint8_t c0, std::uint8_t c1, std::uint8_t* pixel);

// The output row in memory of input row r: the image is stored bottom-up.
inline std::uint8_t* OutputRow(void* out, std::uint32_t width, std::uint32_t height,
                               std::uint32_t r) {
    return static_cast<std::uint8_t*>(out) +
           static_cast<std::size_t>(height - 1 - r) * width * 4;
}
