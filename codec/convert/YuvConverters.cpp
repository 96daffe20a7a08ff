// YUV 4:4:4 and 4:1:1 in 13-bit fixed point. The fourth byte of every output
// pixel keeps what the buffer held.
#include "convert/FrameRows.h"

namespace {

std::uint8_t Limit(std::int32_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A row of W pixels holds W / 4 groups; when W is not a multiple of 4 the
// stream carries nothing for the last W mod 4 pixels, and they are not written.
void Yuv411Row(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t width) {
    Yuv411Groups(source, pixel, width / 4);
}

}  // namespace

void YuvToRgbPixel(std::uint8_t y, std::uint8_t c0, std::uint8_t c1, std::uint8_t* pixel) {
    const std::int32_t luma = 9576 * static_cast<std::int32_t>(y);
    const std::int32_t u = static_cast<std::int32_t>(c0) - 128;
    const std::int32_t v = static_cast<std::int32_t>(c1) - 128;
    pixel[0] = Limit((luma + 13123 * u) / 8192);
    pixel[1] = Limit((luma - 6686 * u - 3218 * v) / 8192);
    pixel[2] = Limit((luma + 16591 * v) / 8192);
}

// Each pixel is c0, y, c1.
void Yuv444Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4, source += 3) {
        YuvToRgbPixel(source[1], source[0], source[2], pixel);
    }
}

// Each group of four pixels is c0, y0, y1, c1, y2, y3.
void Yuv411Groups(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t groups) {
    for (std::uint32_t g = 0; g < groups; ++g, pixel += 16, source += 6) {
        const std::uint8_t c0 = source[0];
        const std::uint8_t c1 = source[3];
        YuvToRgbPixel(source[1], c0, c1, pixel);
        YuvToRgbPixel(source[2], c0, c1, pixel + 4);
        YuvToRgbPixel(source[4], c0, c1, pixel + 8);
        YuvToRgbPixel(source[5], c0, c1, pixel + 12);
    }
}

void Yuv444(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
            DWORD) {
    ForEachRow(inFormat, in, out, Yuv444RowBytes(inFormat), Yuv444Pixels);
}

void Yuv411(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
            DWORD) {
    ForEachRow(inFormat, in, out, Yuv411RowBytes(inFormat), Yuv411Row);
}
