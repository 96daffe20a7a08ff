#include "StreamingFormatTables.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr void CopyName(const char* from, char (&to)[kFormatNameSize]) {
    for (std::size_t i = 0; i + 1 < kFormatNameSize && from[i] != 0; ++i) to[i] = from[i];
}

constexpr std::array<PixelFormatRow, kPixelFormatRows> BuildPixelFormatTable() {
    std::array<PixelFormatRow, kPixelFormatRows> rows{};
    for (const zkv::FrameFormat& f : zkv::kFrameFormats) {
        if (f.pixelFormatRow < 0) continue;
        PixelFormatRow& row = rows[static_cast<std::size_t>(f.pixelFormatRow)];
        row.bitsPerPixel = f.bitCount;
        row.fourcc = f.fourcc;
        row.formatBit = f.pixelFormat;
        CopyName(f.shownName, row.name);
    }
    return rows;
}

constexpr std::array<ConversionRow, kConversionRows> BuildConversionTable() {
    std::array<ConversionRow, kConversionRows> rows{};
    std::size_t n = 0;
    for (const zkv::FrameFormat& f : zkv::kFrameFormats) {
        if (!f.outputSubtype) continue;
        ConversionRow& row = rows[n++];
        row.bitsPerPixel = f.bitCount;
        row.fourcc = f.fourcc;
        CopyName(f.shownName, row.name);
    }
    return rows;
}

static_assert(zkv::CountFrameFormats([](const zkv::FrameFormat& f) { return f.pixelFormatRow >= 0; }) ==
                  kPixelFormatRows,
              "one frame format per pixel-format row");
static_assert(zkv::CountFrameFormats([](const zkv::FrameFormat& f) { return f.outputSubtype; }) ==
                  kConversionRows,
              "one frame format per conversion row");

}  // namespace

constexpr std::array<PixelFormatRow, kPixelFormatRows> PixelFormatTable = BuildPixelFormatTable();
constexpr std::array<ConversionRow, kConversionRows> ConversionTable = BuildConversionTable();

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
