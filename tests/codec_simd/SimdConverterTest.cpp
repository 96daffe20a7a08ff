// Every fast converter against the plain one, bit for bit: random frames of
// many sizes (widths around the vector widths, two- and four-row frames, odd
// sizes), all tiles, and outputs pre-filled with random bytes so that every
// byte a converter must leave alone is checked as well. Input buffers hold
// exactly the frame's bytes, so the sanitizers catch any read beyond them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "convert/simd/SimdConverters.h"
#include "negotiation/FourccTable.h"

namespace {

struct Case {
    ConverterKind kind;
    DWORD tile;
    std::uint32_t width;
    std::uint32_t height;
};

const char* const kKindNames[kConverterKindCount] = {
    "Mono8", "Mono16", "Yuv444", "Yuv411", "BayerFast", "BayerNearest", "BayerEdge",
};

std::string Describe(const Case& c) {
    std::ostringstream text;
    text << kKindNames[static_cast<int>(c.kind)] << " tile " << c.tile << " " << c.width << "x"
         << c.height;
    return text.str();
}

// The packed input bytes of a frame, as the FOURCC table gives them.
std::size_t InputBytes(ConverterKind kind, std::uint32_t width, std::uint32_t height) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.kind == kind) return static_cast<std::size_t>(FrameByteCount(format, width, height));
    }
    return 0;
}

// The smallest frame the negotiation lets through to each converter.
bool Accepted(ConverterKind kind, std::uint32_t width, std::uint32_t height) {
    switch (kind) {
        case ConverterKind::BayerFast:
        case ConverterKind::BayerNearest: return width >= 2 && height >= 2;
        case ConverterKind::BayerEdge: return width >= 2 && height >= 4;
        default: return true;
    }
}

class FastConverters : public ::testing::TestWithParam<CpuLevel> {
protected:
    void SetUp() override {
        if (static_cast<int>(DetectCpuLevel()) < static_cast<int>(GetParam())) {
            GTEST_SKIP() << "this processor lacks " << CpuLevelName(GetParam());
        }
        fast_ = ConvertersForLevel(GetParam());
        fastRows_ = RowsConvertersForLevel(GetParam());
    }

    // Converts one frame whose bytes are drawn below `alphabet` with the plain
    // and the fast converter and compares the whole output buffers.
    // The fast output starts `offset` bytes into its block, to vary its
    // alignment; the bytes before it must stay untouched.
    ::testing::AssertionResult Matches(const Case& c, unsigned alphabet = 256,
                                       std::size_t offset = 0) {
        std::vector<std::uint8_t> in(InputBytes(c.kind, c.width, c.height));
        for (auto& b : in) b = static_cast<std::uint8_t>(random_() % alphabet);
        std::vector<std::uint8_t> expected(std::size_t{4} * c.width * c.height);
        for (auto& b : expected) b = static_cast<std::uint8_t>(random_());
        std::vector<std::uint8_t> block(offset, 0xA5);
        block.insert(block.end(), expected.begin(), expected.end());

        BITMAPINFOHEADER inFormat{};
        inFormat.biSize = sizeof inFormat;
        inFormat.biWidth = static_cast<LONG>(c.width);
        inFormat.biHeight = static_cast<LONG>(c.height);
        BITMAPINFOHEADER outFormat = inFormat;
        outFormat.biBitCount = 32;
        const std::size_t kind = static_cast<std::size_t>(c.kind);
        kFrameConverters[kind](&inFormat, in.data(), &outFormat, expected.data(), c.tile);
        fast_[kind](&inFormat, in.data(), &outFormat, block.data() + offset, c.tile);
        for (std::size_t i = 0; i < offset; ++i) {
            if (block[i] != 0xA5) return ::testing::AssertionFailure() << Describe(c) << ": wrote before the output";
        }
        const std::vector<std::uint8_t> actual(block.begin() + offset, block.end());

        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != actual[i]) {
                const std::size_t pixel = i / 4;
                const std::size_t memoryRow = pixel / c.width;
                return ::testing::AssertionFailure()
                       << Describe(c) << ": picture row " << (c.height - 1 - memoryRow) << " column "
                       << pixel % c.width << " byte " << i % 4 << ": expected "
                       << int(expected[i]) << ", got " << int(actual[i]);
            }
        }
        return ::testing::AssertionSuccess();
    }

    // The same frame written top-down with rows `pitch` bytes apart: the fast
    // rows must match the plain ones, which must be the bottom-up bitmap's
    // rows in the other order, with the bytes between rows untouched.
    ::testing::AssertionResult MatchesTopDown(const Case& c, std::size_t padding) {
        std::vector<std::uint8_t> in(InputBytes(c.kind, c.width, c.height));
        for (auto& b : in) b = static_cast<std::uint8_t>(random_());
        const std::size_t rowBytes = std::size_t{4} * c.width;
        const std::size_t pitch = rowBytes + padding;
        std::vector<std::uint8_t> bitmap(rowBytes * c.height);
        for (auto& b : bitmap) b = static_cast<std::uint8_t>(random_());
        std::vector<std::uint8_t> expected(pitch * c.height);
        for (auto& b : expected) b = static_cast<std::uint8_t>(random_());
        // Each top-down row starts with what the bitmap's row held, so the
        // bytes a converter leaves alone agree too.
        for (std::uint32_t r = 0; r < c.height; ++r) {
            std::copy_n(&bitmap[(c.height - 1 - r) * rowBytes], rowBytes, &expected[r * pitch]);
        }
        std::vector<std::uint8_t> actual = expected;
        const std::vector<std::uint8_t> before = expected;

        BITMAPINFOHEADER inFormat{};
        inFormat.biSize = sizeof inFormat;
        inFormat.biWidth = static_cast<LONG>(c.width);
        inFormat.biHeight = static_cast<LONG>(c.height);
        const std::size_t kind = static_cast<std::size_t>(c.kind);
        const auto stride = static_cast<std::ptrdiff_t>(pitch);
        kFrameConverters[kind](&inFormat, in.data(), &inFormat, bitmap.data(), c.tile);
        kRowsConverters[kind](&inFormat, in.data(), OutputRows{expected.data(), stride}, c.tile);
        fastRows_[kind](&inFormat, in.data(), OutputRows{actual.data(), stride}, c.tile);
        for (std::uint32_t r = 0; r < c.height; ++r) {
            const std::uint8_t* row = &expected[r * pitch];
            if (!std::equal(row, row + rowBytes, &bitmap[(c.height - 1 - r) * rowBytes])) {
                return ::testing::AssertionFailure() << Describe(c) << ": plain top-down row " << r
                                                     << " is not the bitmap's";
            }
            if (!std::equal(row + rowBytes, row + pitch, &before[r * pitch + rowBytes])) {
                return ::testing::AssertionFailure() << Describe(c) << ": wrote between rows";
            }
        }
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != actual[i]) {
                return ::testing::AssertionFailure()
                       << Describe(c) << " padding " << padding << ": top-down row " << i / pitch
                       << " byte " << i % pitch << ": expected " << int(expected[i]) << ", got "
                       << int(actual[i]);
            }
        }
        return ::testing::AssertionSuccess();
    }

    static std::vector<DWORD> Tiles(ConverterKind kind) {
        if (kind >= ConverterKind::BayerFast) return {1, 2, 3, 4};
        return {0};
    }

    const FrameConverter* fast_ = nullptr;
    const RowsConverter* fastRows_ = nullptr;
    std::mt19937 random_{20261208};
};

const std::uint32_t kWidths[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  12,  15,  16,  17,  18,
                                 19, 24, 30, 31, 32, 33, 34, 35, 36, 47, 48,  49,  50,  63,  64,
                                 65, 66, 67, 68, 70, 95, 96, 97, 98, 99, 127, 128, 129, 130, 131};
const std::uint32_t kHeights[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST_P(FastConverters, MatchThePlainConvertersOnEverySmallSizeAndTile) {
    for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
        const ConverterKind k = static_cast<ConverterKind>(kind);
        for (DWORD tile : Tiles(k)) {
            for (std::uint32_t height : kHeights) {
                for (std::uint32_t width : kWidths) {
                    if (!Accepted(k, width, height)) continue;
                    ASSERT_TRUE(Matches({k, tile, width, height}));
                }
            }
        }
    }
}

// Few distinct values make equal neighbours and equal differences common:
// the ties of edge sensing and the rounding of the averages.
TEST_P(FastConverters, MatchOnFramesOfFewValues) {
    for (unsigned alphabet : {2u, 3u, 5u}) {
        for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
            const ConverterKind k = static_cast<ConverterKind>(kind);
            for (DWORD tile : Tiles(k)) {
                ASSERT_TRUE(Matches({k, tile, 67, 9}, alphabet));
                ASSERT_TRUE(Matches({k, tile, 130, 12}, alphabet));
            }
        }
    }
}

// Output buffers of the platform are often only 8- or 16-byte aligned, and
// the fast paths align their stores: every 4-byte offset within 64 bytes.
TEST_P(FastConverters, MatchAtEveryOutputAlignment) {
    for (std::size_t offset = 0; offset < 64; offset += 4) {
        for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
            const ConverterKind k = static_cast<ConverterKind>(kind);
            for (DWORD tile : Tiles(k)) {
                ASSERT_TRUE(Matches({k, tile, 70, 6}, 256, offset)) << "offset " << offset;
                ASSERT_TRUE(Matches({k, tile, 131, 5}, 256, offset)) << "offset " << offset;
            }
        }
    }
}

TEST_P(FastConverters, MatchOnCameraSizes) {
    const std::uint32_t sizes[][2] = {{640, 480}, {1283, 962}, {2448, 16}, {1024, 7}};
    for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
        const ConverterKind k = static_cast<ConverterKind>(kind);
        for (DWORD tile : Tiles(k)) {
            for (const auto& size : sizes) ASSERT_TRUE(Matches({k, tile, size[0], size[1]}));
        }
    }
}

// Outputs larger than the caches are written with stores that bypass them,
// where the output rows allow it: an aligned buffer, and one whose rows can
// never be aligned (an odd byte offset).
TEST_P(FastConverters, MatchOnFramesLargerThanTheCaches) {
    for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
        const ConverterKind k = static_cast<ConverterKind>(kind);
        for (std::size_t offset : {0, 2}) {
            ASSERT_TRUE(Matches({k, Tiles(k).front(), 2448, 2048}, 256, offset)) << "offset " << offset;
        }
    }
}

// Top-down rows, packed and padded (a 2-D buffer's pitch), at small and
// camera sizes.
TEST_P(FastConverters, MatchWhenWritingTheRowsTopDown) {
    const std::uint32_t sizes[][2] = {{1, 1}, {5, 4}, {67, 9}, {131, 5}, {1283, 6}};
    for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
        const ConverterKind k = static_cast<ConverterKind>(kind);
        for (DWORD tile : Tiles(k)) {
            for (const auto& size : sizes) {
                if (!Accepted(k, size[0], size[1])) continue;
                for (std::size_t padding : {0, 4, 36}) {
                    ASSERT_TRUE(MatchesTopDown({k, tile, size[0], size[1]}, padding));
                }
            }
        }
    }
}

// The YUV formula for every luma and chroma byte, in both layouts: a row per
// luma value with every (c0, c1) pair along it (4:4:4), and a row per (c0, c1)
// pair with every luma value in its 64 groups (4:1:1).
TEST_P(FastConverters, YuvFormulaMatchesForEveryInput) {
    struct Layout {
        ConverterKind kind;
        std::uint32_t width;  // pixels of one row
        void (*fill)(std::uint8_t* row, unsigned index);
    };
    const Layout layouts[] = {
        {ConverterKind::Yuv444, 256 * 256,
         [](std::uint8_t* row, unsigned y) {
             for (std::uint32_t p = 0; p < 256 * 256; ++p) {
                 row[3 * p] = static_cast<std::uint8_t>(p >> 8);
                 row[3 * p + 1] = static_cast<std::uint8_t>(y);
                 row[3 * p + 2] = static_cast<std::uint8_t>(p);
             }
         }},
        {ConverterKind::Yuv411, 256,
         [](std::uint8_t* row, unsigned chroma) {
             for (std::uint32_t g = 0; g < 64; ++g) {
                 const std::uint8_t group[6] = {
                     static_cast<std::uint8_t>(chroma >> 8), static_cast<std::uint8_t>(4 * g),
                     static_cast<std::uint8_t>(4 * g + 1),   static_cast<std::uint8_t>(chroma),
                     static_cast<std::uint8_t>(4 * g + 2),   static_cast<std::uint8_t>(4 * g + 3)};
                 std::copy_n(group, 6, row + 6 * g);
             }
         }},
    };
    for (const Layout& layout : layouts) {
        // A million pixels per frame: 16 luma values (4:4:4) or 4096 chroma
        // pairs (4:1:1).
        const std::uint32_t rows = (1u << 20) / layout.width;
        const std::uint32_t frames = (1u << 24) / (1u << 20);
        BITMAPINFOHEADER inFormat{};
        inFormat.biSize = sizeof inFormat;
        inFormat.biWidth = static_cast<LONG>(layout.width);
        inFormat.biHeight = static_cast<LONG>(rows);
        const std::size_t rowBytes = InputBytes(layout.kind, layout.width, 1);
        std::vector<std::uint8_t> in(rowBytes * rows);
        std::vector<std::uint8_t> expected(std::size_t{4} * layout.width * rows);
        std::vector<std::uint8_t> actual(expected.size());
        const std::size_t kind = static_cast<std::size_t>(layout.kind);
        for (std::uint32_t frame = 0; frame < frames; ++frame) {
            for (unsigned r = 0; r < rows; ++r) layout.fill(&in[r * rowBytes], frame * rows + r);
            kFrameConverters[kind](&inFormat, in.data(), &inFormat, expected.data(), 0);
            fast_[kind](&inFormat, in.data(), &inFormat, actual.data(), 0);
            ASSERT_TRUE(expected == actual) << kKindNames[kind] << " frame " << frame;
        }
    }
}

std::string LevelName(const ::testing::TestParamInfo<CpuLevel>& info) {
    return CpuLevelName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Levels, FastConverters,
                         ::testing::Values(CpuLevel::Sse2, CpuLevel::Ssse3, CpuLevel::Avx2, CpuLevel::Avx512),
                         LevelName);

}  // namespace
