// Frames, headers and a plain per-pixel model of the conversion rules, for
// the codec's native tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "driver/CodecPlatform.h"
#include "negotiation/FourccTable.h"

constexpr DWORD Fourcc(const char (&text)[5]) {
    return MakeFourcc(text[0], text[1], text[2], text[3]);
}

inline BITMAPINFOHEADER Header(DWORD compression, WORD bitCount, LONG width, LONG height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = compression;
    return header;
}

inline BITMAPINFOHEADER RgbHeader(LONG width, LONG height) {
    BITMAPINFOHEADER header = Header(BI_RGB, 32, width, height);
    header.biSizeImage = static_cast<DWORD>(4 * width * height);
    return header;
}

inline std::vector<std::uint8_t> RandomBytes(std::size_t count, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Runs one converter of the table over a frame into an output buffer that
// starts filled with `fill`.
std::vector<std::uint8_t> Convert(ConverterKind kind, BayerTile tile, int width, int height,
                                  const std::vector<std::uint8_t>& in, std::uint8_t fill);

// The model: blue, green, red and the fourth byte of output pixel (r, x),
// counted from the top of the picture; fourth == -1 means "left as it was",
// and a colour of -1 means "not written".
struct ModelPixel {
    int blue, green, red, fourth;
};

ModelPixel ModelMono8(const std::vector<std::uint8_t>& in, int width, int r, int x);
ModelPixel ModelMono16(const std::vector<std::uint8_t>& in, int width, int r, int x);
ModelPixel ModelYuv444(const std::vector<std::uint8_t>& in, int width, int r, int x);
ModelPixel ModelYuv411(const std::vector<std::uint8_t>& in, int width, int r, int x);
ModelPixel ModelBayer(ConverterKind kind, const std::string& tile, const std::vector<std::uint8_t>& in,
                      int width, int height, int r, int x);

// The output pixel of picture row r (top = 0) in a bottom-up 32-bit image.
inline const std::uint8_t* PixelAt(const std::vector<std::uint8_t>& out, int width, int height,
                                   int r, int x) {
    return out.data() + (static_cast<std::size_t>(height - 1 - r) * width + x) * 4;
}
