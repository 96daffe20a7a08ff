// Frames of every format decode back to the scene: mono and RGB exactly,
// YUV through the system's integer YUV-to-RGB rule within rounding, Bayer
// mosaics sample the sensor's tile.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "FramePacker.h"

using namespace zkvsim;

namespace {

constexpr std::uint32_t kW = 64, kH = 48;
constexpr int kYuvTolerance = 3;

StreamFormat Format(std::uint32_t fourcc, std::uint32_t w = kW, std::uint32_t h = kH) {
    StreamFormat f;
    f.fourcc = fourcc;
    f.width = f.sceneWidth = w;
    f.height = f.sceneHeight = h;
    return f;
}

std::vector<std::uint8_t> Pack(const StreamFormat& f, BayerTile tile = BayerTile::RGGB, std::uint64_t frame = 5) {
    const FrameFormat* format = FindFrameFormat(f.fourcc);
    std::vector<std::uint8_t> out(FrameBytes(*format, f.width, f.height), 0xCD);
    EXPECT_EQ(out.size(), PackFrame(f, tile, frame, out.data(), out.size()));
    return out;
}

// The system's decoding rule: blue from the first chroma byte, red from the second.
Rgb DecodeYuv(int y, int c0, int c1) {
    auto limit = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    const int u = c0 - 128, v = c1 - 128;
    return {limit((9576 * y + 16591 * v) / 8192), limit((9576 * y - 6686 * u - 3218 * v) / 8192),
            limit((9576 * y + 13123 * u) / 8192)};
}

void ExpectClose(Rgb want, Rgb got, const char* what, std::uint32_t x, std::uint32_t y) {
    EXPECT_LE(std::abs(want.r - got.r), kYuvTolerance) << what << " red at " << x << "," << y;
    EXPECT_LE(std::abs(want.g - got.g), kYuvTolerance) << what << " green at " << x << "," << y;
    EXPECT_LE(std::abs(want.b - got.b), kYuvTolerance) << what << " blue at " << x << "," << y;
}

bool FlatRun(std::uint32_t x0, std::uint32_t n, std::uint32_t y, std::uint64_t frame) {
    const Rgb c = SceneColor(x0, y, kW, kH, frame);
    for (std::uint32_t x = x0; x < x0 + n; ++x) {
        const Rgb d = SceneColor(x, y, kW, kH, frame);
        if (d.r != c.r || d.g != c.g || d.b != c.b) return false;
    }
    return true;
}

}  // namespace

TEST(FramePacking, SceneHasBarsAndAMovingSquare) {
    EXPECT_EQ(255, SceneColor(0, 0, 640, 480, 0).g);
    EXPECT_EQ(0, SceneColor(639, 0, 640, 480, 0).g);  // black bar last
    const Rgb yellow = SceneColor(100, 10, 640, 480, 0);
    EXPECT_EQ(255, yellow.r);
    EXPECT_EQ(0, yellow.b);
    // The bars stay; the square moves one step per frame.
    EXPECT_EQ(SceneColor(300, 100, 640, 480, 0).r, SceneColor(300, 100, 640, 480, 9).r);
    const Rgb at0 = SceneColor(0, 470, 640, 480, 0), at1 = SceneColor(0, 470, 640, 480, 1);
    EXPECT_EQ(128, at0.g);  // square
    EXPECT_EQ(0, at1.g);    // ramp, the square has moved on
}

TEST(FramePacking, MonoFormatsCarryTheLuma) {
    for (std::uint32_t fourcc : {MakeFourcc('Y', '8', '0', '0'), MakeFourcc('Z', 'K', 'V', 'Y')}) {
        const std::vector<std::uint8_t> frame = Pack(Format(fourcc));
        for (std::uint32_t y = 0; y < kH; ++y) {
            for (std::uint32_t x = 0; x < kW; ++x) {
                ASSERT_EQ(Luma16(SceneColor(x, y, kW, kH, 5)) >> 8, frame[y * kW + x]) << x << "," << y;
            }
        }
    }
    const std::vector<std::uint8_t> frame16 = Pack(Format(MakeFourcc('Z', 'Y', '1', '6')));
    for (std::uint32_t y = 0; y < kH; ++y) {
        for (std::uint32_t x = 0; x < kW; ++x) {
            const std::uint16_t l = Luma16(SceneColor(x, y, kW, kH, 5));
            ASSERT_EQ(l >> 8, frame16[2 * (y * kW + x)]);
            ASSERT_EQ(l & 0xFF, frame16[2 * (y * kW + x) + 1]);
        }
    }
    // White is the brightest grey.
    EXPECT_EQ(255, Luma16({255, 255, 255}) >> 8);
}

TEST(FramePacking, YuvFormatsDecodeToTheScene) {
    const std::vector<std::uint8_t> f444 = Pack(Format(MakeFourcc('Z', 'Y', '4', '4')));
    const std::vector<std::uint8_t> f411 = Pack(Format(MakeFourcc('Z', 'Y', '4', '1')));
    const std::vector<std::uint8_t> f422 = Pack(Format(MakeFourcc('U', 'Y', 'V', 'Y')));
    ASSERT_EQ(6u * (kW / 4) * kH, f411.size());
    for (std::uint32_t y = 0; y < kH; ++y) {
        for (std::uint32_t x = 0; x < kW; ++x) {
            const Rgb want = SceneColor(x, y, kW, kH, 5);
            const std::uint8_t* p = &f444[3 * (y * kW + x)];
            ExpectClose(want, DecodeYuv(p[1], p[0], p[2]), "ZY44", x, y);
            if (FlatRun(x & ~3u, 4, y, 5)) {
                const std::uint8_t* g = &f411[6 * (y * (kW / 4) + x / 4)];
                const int lumaAt[4] = {1, 2, 4, 5};
                ExpectClose(want, DecodeYuv(g[lumaAt[x % 4]], g[0], g[3]), "ZY41", x, y);
            }
            if (FlatRun(x & ~1u, 2, y, 5)) {
                const std::uint8_t* g = &f422[4 * (y * (kW / 2) + x / 2)];
                ExpectClose(want, DecodeYuv(g[x % 2 ? 3 : 1], g[0], g[2]), "UYVY", x, y);
            }
        }
    }
}

TEST(FramePacking, SaturatedColoursSurviveTheYuvRoundTrip) {
    for (std::uint32_t bar = 0; bar < kSceneBars; ++bar) {
        const Rgb c = BarColor(bar);
        const Yuv q = RgbToYuv(c);
        ExpectClose(c, DecodeYuv(q.y, q.u, q.v), "bar", bar, 0);
    }
}

TEST(FramePacking, Rgb24IsBottomUpBgrWithPaddedRows) {
    const std::uint32_t w = 10, h = 4;  // 30 bytes a row, padded to 32
    StreamFormat f = Format(0, w, h);
    const std::vector<std::uint8_t> frame = Pack(f);
    ASSERT_EQ(32u * h, frame.size());
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = &frame[32 * (h - 1 - y)];
        for (std::uint32_t x = 0; x < w; ++x) {
            const Rgb c = SceneColor(x, y, w, h, 5);
            ASSERT_EQ(c.b, row[3 * x]);
            ASSERT_EQ(c.g, row[3 * x + 1]);
            ASSERT_EQ(c.r, row[3 * x + 2]);
        }
        EXPECT_EQ(0, row[30]);
        EXPECT_EQ(0, row[31]);
    }
}

TEST(FramePacking, BayerFramesSampleTheSensorTileWhateverTheFourccSays) {
    const struct {
        BayerTile tile;
        int colors[4];  // (0,0), (0,1), (1,0), (1,1): 0 red, 1 green, 2 blue
    } tiles[] = {{BayerTile::RGGB, {0, 1, 1, 2}}, {BayerTile::GRBG, {1, 0, 2, 1}},
                 {BayerTile::GBRG, {1, 2, 0, 1}}, {BayerTile::BGGR, {2, 1, 1, 0}}};
    for (const auto& t : tiles) {
        // The FOURCC names another tile: the mosaic still follows the sensor.
        const std::vector<std::uint8_t> frame = Pack(Format(MakeFourcc('G', 'B', 'R', '2')), t.tile);
        for (std::uint32_t y = 0; y < kH; ++y) {
            for (std::uint32_t x = 0; x < kW; ++x) {
                const Rgb c = SceneColor(x, y, kW, kH, 5);
                const int color = t.colors[(y % 2) * 2 + x % 2];
                ASSERT_EQ(color == 0 ? c.r : (color == 1 ? c.g : c.b), frame[y * kW + x])
                    << static_cast<int>(t.tile) << " at " << x << "," << y;
            }
        }
    }
}

TEST(FramePacking, Format7RegionsCutTheSensorPicture) {
    StreamFormat f = Format(MakeFourcc('Y', '8', '0', '0'), 16, 8);
    f.format7 = true;
    f.left = 24;
    f.top = 30;
    f.sceneWidth = 64;
    f.sceneHeight = 48;
    const std::vector<std::uint8_t> frame = Pack(f);
    for (std::uint32_t y = 0; y < 8; ++y) {
        for (std::uint32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(Luma16(SceneColor(24 + x, 30 + y, 64, 48, 5)) >> 8, frame[y * 16 + x]);
        }
    }
}

TEST(FramePacking, RefusesSmallBuffersAndUnsuitableSizes) {
    StreamFormat f = Format(MakeFourcc('Z', 'Y', '4', '1'));
    std::vector<std::uint8_t> small(6 * (kW / 4) * kH - 1, 0x77);
    EXPECT_EQ(0u, PackFrame(f, BayerTile::None, 0, small.data(), small.size()));
    for (std::uint8_t b : small) ASSERT_EQ(0x77, b);
    f.width = 66;  // 4:1:1 needs whole groups of four
    std::vector<std::uint8_t> big(1 << 16);
    EXPECT_EQ(0u, PackFrame(f, BayerTile::None, 0, big.data(), big.size()));
    f = Format(MakeFourcc('R', 'G', 'B', '1'), 63, 48);  // Bayer needs whole tiles
    EXPECT_EQ(0u, PackFrame(f, BayerTile::RGGB, 0, big.data(), big.size()));
    f.fourcc = MakeFourcc('N', 'O', 'N', 'E');
    EXPECT_EQ(0u, PackFrame(f, BayerTile::RGGB, 0, big.data(), big.size()));
}
