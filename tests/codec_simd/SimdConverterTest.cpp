// Every fast converter against the plain one, bit for bit: random frames of
// many sizes (widths around the vector widths, two- and four-row frames, odd
// sizes), all tiles, and outputs pre-filled with random bytes so that every
// byte a converter must leave alone is checked as well. Input buffers hold
// exactly the frame's bytes, so the sanitizers catch any read beyond them.
#include <gtest/gtest.h>

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

    static std::vector<DWORD> Tiles(ConverterKind kind) {
        if (kind >= ConverterKind::BayerFast) return {1, 2, 3, 4};
        return {0};
    }

    const FrameConverter* fast_ = nullptr;
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

// The YUV formula for every luma and chroma byte: one row per luma value,
// every (c0, c1) pair along it.
TEST_P(FastConverters, YuvFormulaMatchesForEveryInput) {
    constexpr std::uint32_t kPairs = 256 * 256;
    BITMAPINFOHEADER inFormat{};
    inFormat.biSize = sizeof inFormat;
    inFormat.biWidth = kPairs;
    inFormat.biHeight = 1;
    std::vector<std::uint8_t> in(3 * kPairs);
    std::vector<std::uint8_t> expected(4 * kPairs);
    std::vector<std::uint8_t> actual(4 * kPairs);
    const std::size_t kind = static_cast<std::size_t>(ConverterKind::Yuv444);
    for (unsigned y = 0; y < 256; ++y) {
        for (std::uint32_t p = 0; p < kPairs; ++p) {
            in[3 * p] = static_cast<std::uint8_t>(p >> 8);
            in[3 * p + 1] = static_cast<std::uint8_t>(y);
            in[3 * p + 2] = static_cast<std::uint8_t>(p);
        }
        kFrameConverters[kind](&inFormat, in.data(), &inFormat, expected.data(), 0);
        fast_[kind](&inFormat, in.data(), &inFormat, actual.data(), 0);
        ASSERT_EQ(expected, actual) << "luma " << y;
    }
}

std::string LevelName(const ::testing::TestParamInfo<CpuLevel>& info) {
    return CpuLevelName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Levels, FastConverters,
                         ::testing::Values(CpuLevel::Sse2, CpuLevel::Ssse3, CpuLevel::Avx2),
                         LevelName);

}  // namespace
