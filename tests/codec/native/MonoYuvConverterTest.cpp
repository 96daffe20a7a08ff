// Mono and YUV converters against the rules: the worked examples, the fourth
// byte, and randomised frames compared pixel by pixel with the model.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "convert/FrameConverter.h"

namespace {

std::vector<std::uint8_t> Pixel(const std::vector<std::uint8_t>& out, int width, int height, int r,
                                int x) {
    const std::uint8_t* p = PixelAt(out, width, height, r, x);
    return {p[0], p[1], p[2], p[3]};
}

using Model = ModelPixel (*)(const std::vector<std::uint8_t>&, int, int, int);

// Compares every output pixel with the model, for two different prior
// contents of the output buffer so that "left as it was" is seen as such.
void ExpectMatchesModel(ConverterKind kind, Model model, int bytesPerPixelNumerator,
                        int pixelsPerGroup, int width, int height, std::mt19937& random) {
    const std::size_t rowBytes =
        static_cast<std::size_t>(bytesPerPixelNumerator) * (width / pixelsPerGroup);
    const std::vector<std::uint8_t> in = RandomBytes(rowBytes * height, random);
    for (const std::uint8_t fill : {0x00, 0xA5}) {
        const std::vector<std::uint8_t> out = Convert(kind, BayerTile::None, width, height, in, fill);
        for (int r = 0; r < height; ++r) {
            for (int x = 0; x < width; ++x) {
                const ModelPixel want = model(in, width, r, x);
                const std::uint8_t* got = PixelAt(out, width, height, r, x);
                const int expected[4] = {want.blue < 0 ? fill : want.blue,
                                         want.green < 0 ? fill : want.green,
                                         want.red < 0 ? fill : want.red,
                                         want.fourth < 0 ? fill : want.fourth};
                for (int b = 0; b < 4; ++b) {
                    ASSERT_EQ(expected[b], got[b]) << "size " << width << "x" << height << " pixel ("
                                                   << r << "," << x << ") byte " << b;
                }
            }
        }
    }
}

TEST(MonoConverters, Mono8TurnsThePictureRightWayUpInBottomUpRows) {
    const std::vector<std::uint8_t> in{10, 20, 30, 40};
    const std::vector<std::uint8_t> out = Convert(ConverterKind::Mono8, BayerTile::None, 2, 2, in, 0xEE);
    const std::vector<std::uint8_t> expected{30, 30, 30, 0, 40, 40, 40, 0, 10, 10, 10, 0, 20, 20, 20, 0};
    EXPECT_EQ(expected, out);
}

TEST(MonoConverters, Mono16KeepsTheFirstByteAsGreyAndTheSecondAsFourthByte) {
    const std::vector<std::uint8_t> in{0x12, 0x34};
    const std::vector<std::uint8_t> out = Convert(ConverterKind::Mono16, BayerTile::None, 1, 1, in, 0);
    EXPECT_EQ((std::vector<std::uint8_t>{0x12, 0x12, 0x12, 0x34}), out);
}

TEST(YuvConverters, YuvToRgbPixelGivesTheWorkedValues) {
    struct Case {
        std::uint8_t y, c0, c1, blue, green, red;
    };
    const Case cases[] = {
        {128, 128, 128, 149, 149, 149},
        {0, 0, 0, 0, 154, 0},
        {255, 255, 255, 255, 144, 255},
        {100, 200, 50, 232, 88, 0},
    };
    for (const Case& c : cases) {
        std::uint8_t pixel[4] = {1, 2, 3, 0x77};
        YuvToRgbPixel(c.y, c.c0, c.c1, pixel);
        EXPECT_EQ(c.blue, pixel[0]) << int(c.y) << "," << int(c.c0) << "," << int(c.c1);
        EXPECT_EQ(c.green, pixel[1]) << int(c.y) << "," << int(c.c0) << "," << int(c.c1);
        EXPECT_EQ(c.red, pixel[2]) << int(c.y) << "," << int(c.c0) << "," << int(c.c1);
        EXPECT_EQ(0x77, pixel[3]);
    }
}

TEST(YuvConverters, Yuv411WithSixColumnsLeavesTheLastTwoPixelsOfEveryRow) {
    const std::vector<std::uint8_t> in{128, 100, 110, 128, 120, 130,   // top row
                                       128, 10, 20, 128, 30, 40};      // bottom row
    const std::vector<std::uint8_t> out = Convert(ConverterKind::Yuv411, BayerTile::None, 6, 2, in, 0x5C);
    for (int r = 0; r < 2; ++r) {
        for (int x = 4; x < 6; ++x) {
            EXPECT_EQ((std::vector<std::uint8_t>{0x5C, 0x5C, 0x5C, 0x5C}), Pixel(out, 6, 2, r, x));
        }
    }
    std::uint8_t expected[4] = {0, 0, 0, 0x5C};
    YuvToRgbPixel(30, 128, 128, expected);
    EXPECT_EQ((std::vector<std::uint8_t>(expected, expected + 4)), Pixel(out, 6, 2, 1, 2));
}

TEST(FrameConverters, EmptyFramesWriteNothing) {
    std::vector<std::uint8_t> out(64, 0xCD);
    const std::vector<std::uint8_t> in(64, 7);
    for (const auto& size : {std::pair<int, int>{0, 5}, {5, 0}, {0, 0}}) {
        const BITMAPINFOHEADER inFormat = Header(0, 8, size.first, size.second);
        const BITMAPINFOHEADER outFormat = RgbHeader(size.first, size.second);
        for (std::size_t kind = 0; kind < kConverterKindCount; ++kind) {
            kFrameConverters[kind](&inFormat, in.data(), &outFormat, out.data(), 1);
        }
    }
    EXPECT_EQ(std::vector<std::uint8_t>(64, 0xCD), out);
}

TEST(MonoYuvConverters, RandomFramesOfManySizesFollowTheRules) {
    std::mt19937 random(20261208);
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 7}, {7, 1}, {8, 6},
                            {13, 11}, {16, 9}, {31, 17}, {64, 48}, {9, 33}};
    for (const auto& size : sizes) {
        ExpectMatchesModel(ConverterKind::Mono8, ModelMono8, 1, 1, size[0], size[1], random);
        ExpectMatchesModel(ConverterKind::Mono16, ModelMono16, 2, 1, size[0], size[1], random);
        ExpectMatchesModel(ConverterKind::Yuv444, ModelYuv444, 3, 1, size[0], size[1], random);
        ExpectMatchesModel(ConverterKind::Yuv411, ModelYuv411, 6, 4, size[0], size[1], random);
    }
}

}  // namespace
