// Every frame format the codec accepts, packed by the camera and decoded by
// the codec's own converters, shows the scene's bars.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "FramePacker.h"
#include "convert/FrameConverter.h"

namespace {

struct Case {
    std::uint32_t fourcc;
    ConverterKind kind;
    zkvsim::BayerTile sensor;  // the camera's sensor tile
    DWORD codecTile;           // the tile the FOURCC tells the codec
    bool mono;
    int tolerance;
};

void ExpectBars(const std::vector<std::uint8_t>& rgb, std::uint32_t w, std::uint32_t h, bool mono, int tolerance,
                std::uint32_t fourcc) {
    const std::uint32_t barWidth = w / zkvsim::kSceneBars;
    int failures = 0;
    for (std::uint32_t bar = 0; bar < zkvsim::kSceneBars; ++bar) {
        zkvsim::Rgb want = zkvsim::BarColor(bar);
        if (mono) {
            const auto l = static_cast<std::uint8_t>(zkvsim::Luma16(want) >> 8);
            want = {l, l, l};
        }
        // Away from the bar edges, where interpolation mixes colours.
        for (std::uint32_t y = 4; y + 4 < h * 3 / 4; ++y) {
            for (std::uint32_t x = bar * barWidth + 4; x + 4 < (bar + 1) * barWidth; ++x) {
                const std::uint8_t* p = &rgb[4 * ((h - 1 - y) * w + x)];
                if (std::abs(p[2] - want.r) > tolerance || std::abs(p[1] - want.g) > tolerance ||
                    std::abs(p[0] - want.b) > tolerance) {
                    ++failures;
                }
            }
        }
    }
    EXPECT_EQ(0, failures) << std::hex << fourcc;
}

}  // namespace

TEST(CodecDecode, EveryAcceptedFourccDecodesToTheScene) {
    using zkvsim::BayerTile;
    using zkvsim::MakeFourcc;
    const Case cases[] = {
        {MakeFourcc('Y', '8', '0', '0'), ConverterKind::Mono8, BayerTile::None, 0, true, 0},
        {MakeFourcc('Z', 'K', 'V', 'Y'), ConverterKind::Mono8, BayerTile::None, 0, true, 0},
        {MakeFourcc('Z', 'Y', '1', '6'), ConverterKind::Mono16, BayerTile::None, 0, true, 0},
        {MakeFourcc('Z', 'Y', '4', '4'), ConverterKind::Yuv444, BayerTile::None, 0, false, 3},
        {MakeFourcc('Z', 'Y', '4', '1'), ConverterKind::Yuv411, BayerTile::None, 0, false, 3},
        {MakeFourcc('R', 'G', 'B', '1'), ConverterKind::BayerFast, BayerTile::RGGB, 1, false, 0},
        {MakeFourcc('R', 'G', 'B', '2'), ConverterKind::BayerNearest, BayerTile::RGGB, 1, false, 0},
        {MakeFourcc('R', 'G', 'B', '3'), ConverterKind::BayerEdge, BayerTile::RGGB, 1, false, 0},
        {MakeFourcc('G', 'R', 'B', '1'), ConverterKind::BayerFast, BayerTile::GRBG, 2, false, 0},
        {MakeFourcc('G', 'R', 'B', '2'), ConverterKind::BayerNearest, BayerTile::GRBG, 2, false, 0},
        {MakeFourcc('G', 'R', 'B', '3'), ConverterKind::BayerEdge, BayerTile::GRBG, 2, false, 0},
        {MakeFourcc('G', 'B', 'R', '1'), ConverterKind::BayerFast, BayerTile::GBRG, 3, false, 0},
        {MakeFourcc('G', 'B', 'R', '2'), ConverterKind::BayerNearest, BayerTile::GBRG, 3, false, 0},
        {MakeFourcc('G', 'B', 'R', '3'), ConverterKind::BayerEdge, BayerTile::GBRG, 3, false, 0},
        {MakeFourcc('B', 'G', 'R', '1'), ConverterKind::BayerFast, BayerTile::BGGR, 4, false, 0},
        {MakeFourcc('B', 'G', 'R', '2'), ConverterKind::BayerNearest, BayerTile::BGGR, 4, false, 0},
        {MakeFourcc('B', 'G', 'R', '3'), ConverterKind::BayerEdge, BayerTile::BGGR, 4, false, 0},
    };
    constexpr std::uint32_t w = 320, h = 240;
    for (const Case& c : cases) {
        const zkvsim::FrameFormat* format = zkvsim::FindFrameFormat(c.fourcc);
        ASSERT_NE(nullptr, format);
        zkvsim::StreamFormat f;
        f.fourcc = c.fourcc;
        f.width = f.sceneWidth = w;
        f.height = f.sceneHeight = h;
        std::vector<std::uint8_t> frame(zkvsim::FrameBytes(*format, w, h));
        ASSERT_EQ(frame.size(), zkvsim::PackFrame(f, c.sensor, 3, frame.data(), frame.size()));
        BITMAPINFOHEADER in = {};
        in.biSize = sizeof in;
        in.biWidth = w;
        in.biHeight = h;
        in.biBitCount = format->bitCount;
        in.biCompression = c.fourcc;
        BITMAPINFOHEADER out = in;
        out.biBitCount = 32;
        out.biCompression = 0;
        std::vector<std::uint8_t> rgb(4u * w * h);
        kFrameConverters[static_cast<std::size_t>(c.kind)](&in, frame.data(), &out, rgb.data(), c.codecTile);
        ExpectBars(rgb, w, h, c.mono, c.tolerance, c.fourcc);
    }
}
