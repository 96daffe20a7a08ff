// 8-bit and 16-bit mono: the grey level goes into blue, green and red.
#include "convert/FrameConverter.h"

void Mono8(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*, void* out,
           DWORD) {
    const std::uint32_t width = inFormat->biWidth;
    const std::uint32_t height = inFormat->biHeight;
    const std::uint8_t* source = static_cast<const std::uint8_t*>(in);
    for (std::uint32_t r = 0; r < height; ++r) {
        std::uint8_t* pixel = OutputRow(out, width, height, r);
        for (std::uint32_t x = 0; x < width; ++x, pixel += 4) {
            const std::uint8_t g = *source++;
            pixel[0] = g;
            pixel[1] = g;
            pixel[2] = g;
            pixel[3] = 0;
        }
    }
}

// The first byte of each sample is the grey level; the second goes unchanged
// into the fourth byte.
void Mono16(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*, void* out,
            DWORD) {
    const std::uint32_t width = inFormat->biWidth;
    const std::uint32_t height = inFormat->biHeight;
    const std::uint8_t* source = static_cast<const std::uint8_t*>(in);
    for (std::uint32_t r = 0; r < height; ++r) {
        std::uint8_t* pixel = OutputRow(out, width, height, r);
        for (std::uint32_t x = 0; x < width; ++x, pixel += 4, source += 2) {
            pixel[0] = source[0];
            pixel[1] = source[0];
            pixel[2] = source[0];
            pixel[3] = source[1];
        }
    }
}
