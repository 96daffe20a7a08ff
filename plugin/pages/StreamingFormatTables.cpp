#include "StreamingFormatTables.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

const PixelFormatRow PixelFormatTable[kPixelFormatRows] = {
    {8, MakeFourcc("Y800"), 0x001, "Y800"},
    {8, MakeFourcc("ZKVY"), 0x001, "Y(Mono)"},
    {12, MakeFourcc("ZY41"), 0x002, "YUV(4:1:1)"},
    {16, MakeFourcc("UYVY"), 0x004, "YUV(4:2:2)"},
    {24, MakeFourcc("ZY44"), 0x008, "YUV(4:4:4)"},
    {16, MakeFourcc("ZY16"), 0x020, "Y(Mono16)"},
    {8, MakeFourcc("RAW8"), 0x200, "Raw8"},
};

const ConversionRow ConversionTable[kConversionRows] = {
    {8, MakeFourcc("Y800"), "Y800"},
    {8, MakeFourcc("ZKVY"), "Y(Mono)"},
    {16, MakeFourcc("ZY16"), "Y(Mono16)"},
    {12, MakeFourcc("ZY41"), "YUV(4:1:1)"},
    {16, MakeFourcc("UYVY"), "YUV(4:2:2)"},
    {24, MakeFourcc("ZY44"), "YUV(4:4:4)"},
    {24, 0, "RGB24"},
    {8, MakeFourcc("RGB1"), "RGGB Nearest Neighbor Fast"},
    {8, MakeFourcc("RGB2"), "RGGB Nearest Neighbor"},
    {8, MakeFourcc("RGB3"), "RGGB Edge Sensing"},
    {8, MakeFourcc("BGR1"), "BGGR Nearest Neighbor Fast"},
    {8, MakeFourcc("BGR2"), "BGGR Nearest Neighbor"},
    {8, MakeFourcc("BGR3"), "BGGR Edge Sensing"},
    {8, MakeFourcc("GRB1"), "GRBG Nearest Neighbor Fast"},
    {8, MakeFourcc("GRB2"), "GRBG Nearest Neighbor"},
    {8, MakeFourcc("GRB3"), "GRBG Edge Sensing"},
    {8, MakeFourcc("GBR1"), "GBRG Nearest Neighbor Fast"},
    {8, MakeFourcc("GBR2"), "GBRG Nearest Neighbor"},
    {8, MakeFourcc("GBR3"), "GBRG Edge Sensing"},
};

namespace {

const PixelFormatRow* PixelFormatByName(const char* name) {
    if (name == nullptr) return nullptr;
    for (const PixelFormatRow& row : PixelFormatTable) {
        if (std::strcmp(row.name, name) == 0) return &row;
    }
    return nullptr;
}

}  // namespace

std::uint32_t FormatBitByName(const char* name) {
    const PixelFormatRow* row = PixelFormatByName(name);
    return row ? row->formatBit : 0;
}

std::uint32_t BitsPerPixelByName(const char* name) {
    const PixelFormatRow* row = PixelFormatByName(name);
    return row ? row->bitsPerPixel : 0;
}

const char* ConversionNameByFourcc(std::uint32_t fourcc) {
    for (const ConversionRow& row : ConversionTable) {
        if (row.fourcc == fourcc) return row.name;
    }
    return nullptr;
}

std::uint32_t FourccByConversionName(const char* name) {
    if (name == nullptr) return 0;
    for (const ConversionRow& row : ConversionTable) {
        if (std::strcmp(row.name, name) == 0) return row.fourcc;
    }
    return 0;
}

std::size_t SupportedPixelFormatNames(std::uint32_t supported, std::uint32_t currentBit,
                                      const char* names[kPixelFormatRows], const char** current) {
    std::size_t count = 0;
    *current = nullptr;
    for (const PixelFormatRow& row : PixelFormatTable) {
        if ((row.formatBit & supported) == row.formatBit) names[count++] = row.name;
        if (row.formatBit == currentBit) *current = row.name;
    }
    return count;
}

void FormatResolutionText(std::int32_t width, std::int32_t height, char (&text)[kFormatNameSize]) {
    // The magnitude in 64 bits: the most negative height has no 32-bit one.
    std::int64_t magnitude = height < 0 ? -static_cast<std::int64_t>(height) : height;
    std::snprintf(text, sizeof text, "%" PRId32 "x%" PRId64, width, magnitude);
}
