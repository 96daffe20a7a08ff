// The three Bayer converters against the rules: the worked examples, the
// tiles, randomised frames of many sizes (odd ones included) compared with the
// model, and the promises for odd sizes and edge columns checked on their own.
#include <gtest/gtest.h>

#include <set>

#include "CodecTestSupport.h"
#include "convert/FrameConverter.h"

namespace {

struct TileCase {
    BayerTile tile;
    std::string colours;
};
const TileCase kTiles[] = {
    {BayerTile::RGGB, "RGGB"}, {BayerTile::GRBG, "GRBG"}, {BayerTile::GBRG, "GBRG"}, {BayerTile::BGGR, "BGGR"}};
const ConverterKind kBayerKinds[] = {ConverterKind::BayerFast, ConverterKind::BayerNearest,
                                     ConverterKind::BayerEdge};

std::vector<int> Bgr(const std::vector<std::uint8_t>& out, int width, int height, int r, int x) {
    const std::uint8_t* p = PixelAt(out, width, height, r, x);
    return {p[0], p[1], p[2]};
}

TEST(BayerConverters, AUniformFrameStaysUniformInEveryAlgorithmAndTile) {
    for (ConverterKind kind : kBayerKinds) {
        for (const TileCase& tile : kTiles) {
            for (const auto& size : {std::pair<int, int>{8, 6}, {5, 7}, {2, 4}}) {
                const std::vector<std::uint8_t> in(size.first * size.second, 93);
                const auto out = Convert(kind, tile.tile, size.first, size.second, in, 0);
                for (int r = 0; r < size.second; ++r)
                    for (int x = 0; x < size.first; ++x)
                        ASSERT_EQ((std::vector<int>{93, 93, 93}), Bgr(out, size.first, size.second, r, x));
            }
        }
    }
}

TEST(BayerConverters, FastAndNearestDecodeTheTwoByTwoExample) {
    const std::vector<std::uint8_t> in{200, 100, 50, 10};  // R G / G B
    const auto fast = Convert(ConverterKind::BayerFast, BayerTile::RGGB, 2, 2, in, 0xEE);
    const std::vector<std::uint8_t> expected{10, 50, 200, 0, 10, 75, 200, 0,    // bottom row first
                                             10, 75, 200, 0, 10, 100, 200, 0};  // then the top row
    EXPECT_EQ(expected, fast);
    const auto nearest = Convert(ConverterKind::BayerNearest, BayerTile::RGGB, 2, 2, in, 0xEE);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(i % 4 == 3 ? 0xEE : expected[i], nearest[i]) << "byte " << i;
    }
}

TEST(BayerConverters, NearestTakesItsSourcesLeftAboveAndDiagonally) {
    std::mt19937 random(7);
    const int w = 8, h = 8;
    const auto in = RandomBytes(w * h, random);
    const auto at = [&](int r, int x) { return static_cast<int>(in[r * w + x]); };
    const auto out = Convert(ConverterKind::BayerNearest, BayerTile::RGGB, w, h, in, 0);
    // Red site (2, 4): green from (2, 3), blue from (1, 3).
    EXPECT_EQ((std::vector<int>{at(1, 3), at(2, 3), at(2, 4)}), Bgr(out, w, h, 2, 4));
    // Green site (2, 5): red from (2, 4), blue from (1, 5).
    EXPECT_EQ((std::vector<int>{at(1, 5), at(2, 5), at(2, 4)}), Bgr(out, w, h, 2, 5));
    // Column 0, red site (2, 0): green from (2, 1), blue from its block (3, 1).
    EXPECT_EQ((std::vector<int>{at(3, 1), at(2, 1), at(2, 0)}), Bgr(out, w, h, 2, 0));
    // Every green site keeps its own sample, the last column pair included.
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            if ((r + x) % 2 == 1) {
                EXPECT_EQ(at(r, x), Bgr(out, w, h, r, x)[1]) << r << "," << x;
            }
}

TEST(BayerConverters, EdgeSensingTakesTheFlatterPairAndTheVerticalOneOnATie) {
    const int w = 8, h = 8;
    std::vector<std::uint8_t> in(w * h, 0);
    in[4 * w + 3] = 50;  // left of the red site (4, 4)
    in[3 * w + 4] = 70;  // above
    in[5 * w + 4] = 80;  // below
    const std::pair<int, int> cases[] = {{59, 54}, {61, 75}, {60, 75}};
    for (const auto& c : cases) {
        in[4 * w + 5] = static_cast<std::uint8_t>(c.first);
        const auto out = Convert(ConverterKind::BayerEdge, BayerTile::RGGB, w, h, in, 0);
        EXPECT_EQ(c.second, Bgr(out, w, h, 4, 4)[1]) << "right " << c.first;
    }
}

TEST(BayerConverters, ReadingRggbAsBggrSwapsRedAndBlue) {
    std::mt19937 random(11);
    const auto in = RandomBytes(10 * 8, random);
    for (ConverterKind kind : kBayerKinds) {
        const auto rggb = Convert(kind, BayerTile::RGGB, 10, 8, in, 0);
        const auto bggr = Convert(kind, BayerTile::BGGR, 10, 8, in, 0);
        for (int r = 0; r < 8; ++r) {
            for (int x = 0; x < 10; ++x) {
                const auto a = Bgr(rggb, 10, 8, r, x);
                const auto b = Bgr(bggr, 10, 8, r, x);
                ASSERT_EQ(a[0], b[2]);
                ASSERT_EQ(a[1], b[1]);
                ASSERT_EQ(a[2], b[0]);
            }
        }
    }
}

// Every pixel of every size, tile and algorithm, as the model says; the output
// is converted over two different prior contents, so a pixel left unwritten
// cannot pass.
TEST(BayerConverters, RandomFramesOfManySizesFollowTheRules) {
    std::mt19937 random(20261208);
    std::vector<std::pair<int, int>> sizes;
    for (int w = 2; w <= 9; ++w)
        for (int h = 2; h <= 9; ++h) sizes.push_back({w, h});
    sizes.insert(sizes.end(), {{64, 48}, {33, 17}, {17, 34}, {640 / 8, 480 / 8}});
    for (const auto& size : sizes) {
        const int w = size.first, h = size.second;
        const auto in = RandomBytes(w * h, random);
        for (ConverterKind kind : kBayerKinds) {
            for (const TileCase& tile : kTiles) {
                for (const std::uint8_t fill : {0x00, 0xFF}) {
                    const auto out = Convert(kind, tile.tile, w, h, in, fill);
                    for (int r = 0; r < h; ++r) {
                        for (int x = 0; x < w; ++x) {
                            const ModelPixel want = ModelBayer(kind, tile.colours, in, w, h, r, x);
                            const std::uint8_t* got = PixelAt(out, w, h, r, x);
                            const int fourth = want.fourth < 0 ? fill : want.fourth;
                            ASSERT_TRUE(got[0] == want.blue && got[1] == want.green &&
                                        got[2] == want.red && got[3] == fourth)
                                << "kind " << static_cast<int>(kind) << " tile " << tile.colours << " size "
                                << w << "x" << h << " pixel (" << r << "," << x << ") got " << int(got[0])
                                << "," << int(got[1]) << "," << int(got[2]) << "," << int(got[3]) << " want "
                                << want.blue << "," << want.green << "," << want.red << "," << fourth;
                        }
                    }
                }
            }
        }
    }
}

// Independently of the model: at odd sizes and in the edge columns every colour
// of every pixel is a sample of that colour within two pixels of it, or the
// average of two such samples; the pixel's own colour is its own sample.
TEST(BayerConverters, OddSizesAndEdgeColumnsTakeEveryColourFromNearbySamplesOfThatColour) {
    std::mt19937 random(3);
    for (const auto& size : {std::pair<int, int>{7, 5}, {5, 9}, {9, 9}, {2, 7}, {3, 4}, {12, 10}}) {
        const int w = size.first, h = size.second;
        const auto in = RandomBytes(w * h, random);
        for (ConverterKind kind : kBayerKinds) {
            for (const TileCase& tile : kTiles) {
                const auto out = Convert(kind, tile.tile, w, h, in, 0);
                for (int r = 0; r < h; ++r) {
                    for (int x = 0; x < w; ++x) {
                        const auto bgr = Bgr(out, w, h, r, x);
                        const char own = tile.colours[(r % 2) * 2 + x % 2];
                        const char names[3] = {'B', 'G', 'R'};
                        for (int c = 0; c < 3; ++c) {
                            if (names[c] == own) {
                                ASSERT_EQ(in[r * w + x], bgr[c]);
                                continue;
                            }
                            std::vector<int> near;
                            for (int rr = std::max(0, r - 2); rr <= std::min(h - 1, r + 2); ++rr)
                                for (int xx = std::max(0, x - 2); xx <= std::min(w - 1, x + 2); ++xx)
                                    if (tile.colours[(rr % 2) * 2 + xx % 2] == names[c])
                                        near.push_back(in[rr * w + xx]);
                            std::set<int> allowed(near.begin(), near.end());
                            for (int a : near)
                                for (int b : near) allowed.insert((a + b) >> 1);
                            ASSERT_TRUE(allowed.count(bgr[c]))
                                << "kind " << static_cast<int>(kind) << " tile " << tile.colours << " size "
                                << w << "x" << h << " pixel (" << r << "," << x << ") colour " << names[c];
                        }
                    }
                }
            }
        }
    }
}

TEST(BayerConverters, FramesWithoutEveryColourWriteNothing) {
    const std::vector<std::uint8_t> in(16, 50);
    for (ConverterKind kind : kBayerKinds) {
        for (const auto& size : {std::pair<int, int>{1, 8}, {8, 1}}) {
            std::vector<std::uint8_t> out(64, 0xCD);
            const BITMAPINFOHEADER inFormat = Header(0, 8, size.first, size.second);
            kFrameConverters[static_cast<int>(kind)](&inFormat, in.data(), &inFormat, out.data(), 1);
            EXPECT_EQ(std::vector<std::uint8_t>(64, 0xCD), out);
        }
    }
}

}  // namespace
