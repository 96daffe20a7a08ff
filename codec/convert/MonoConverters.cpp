// 8-bit and 16-bit mono: the grey level goes into blue, green and red.
#include "convert/FrameRows.h"

void Mono8Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4) {
        pixel[0] = pixel[1] = pixel[2] = source[i];
        pixel[3] = 0;
    }
}

// The first byte of each sample is the grey level; the second goes unchanged
// into the fourth byte.
void Mono16Pixels(const std::uint8_t* source, std::uint8_t* pixel, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i, pixel += 4, source += 2) {
        pixel[0] = pixel[1] = pixel[2] = source[0];
        pixel[3] = source[1];
    }
}

void Mono8(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
           DWORD) {
    ForEachRow(inFormat, in, out, Mono8RowBytes(inFormat), Mono8Pixels);
}

void Mono16(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
            DWORD) {
    ForEachRow(inFormat, in, out, Mono16RowBytes(inFormat), Mono16Pixels);
}
