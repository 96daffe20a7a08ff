// The names that the streaming configuration page shows for the camera's
// frame formats: the Format 7 pixel formats and the colour conversions (the
// capture pin's output subtypes), with their lookups. Both lists are drawn
// from the system's frame format table. Platform-neutral.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ZKVFrameFormats.h"

using zkv::MakeFourcc;

constexpr std::size_t kFormatNameSize = 32;

struct PixelFormatRow {
    std::uint32_t bitsPerPixel;
    std::uint32_t fourcc;
    std::uint32_t formatBit;  // the pixel format's bit in the camera's Format 7 set
    char name[kFormatNameSize];
};

struct ConversionRow {
    std::uint32_t bitsPerPixel;
    std::uint32_t fourcc;  // as it stands in biCompression; 0 for uncompressed RGB
    char name[kFormatNameSize];
};

constexpr std::size_t kPixelFormatRows = 7;
constexpr std::size_t kConversionRows = 19;
extern const std::array<PixelFormatRow, kPixelFormatRows> PixelFormatTable;
extern const std::array<ConversionRow, kConversionRows> ConversionTable;

// Each lookup takes the first matching row; names compare exactly. A null
// name matches no row.
std::uint32_t FormatBitByName(const char* name);
std::uint32_t BitsPerPixelByName(const char* name);
const char* ConversionNameByFourcc(std::uint32_t fourcc);  // null when no row has it
std::uint32_t FourccByConversionName(const char* name);

// The pixel-format names a Format 7 mode offers, in table order: every row
// whose format bit lies wholly in `supported`. `current` receives the name of
// the last row whose bit equals `currentBit` (so 8-bit mono is "Y(Mono)"),
// or null. Returns the number of names written to `names` (at most
// kPixelFormatRows).
std::size_t SupportedPixelFormatNames(std::uint32_t supported, std::uint32_t currentBit,
                                      const char* names[kPixelFormatRows], const char** current);

// "%dx%d" of the width and the height's magnitude: top-down and bottom-up
// images of one size share a text. The buffer holds any pair of 32-bit values.
void FormatResolutionText(std::int32_t width, std::int32_t height, char (&text)[kFormatNameSize]);
