// The shared frame format and register tables: the rules that the codec, the
// pages and the virtual camera rely on when they read them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "ZKVFrameFormats.h"
#include "ZKVRegisters.h"

namespace {

zkv::TileColour ColourOfLetter(char letter) {
    return letter == 'R' ? zkv::kTileRed : (letter == 'G' ? zkv::kTileGreen : zkv::kTileBlue);
}

TEST(FrameFormatTable, EachFourccOnceAndBayerNamesTellTileAndAlgorithm) {
    std::set<std::uint32_t> seen;
    int bayer = 0;
    for (const zkv::FrameFormat& f : zkv::kFrameFormats) {
        EXPECT_TRUE(seen.insert(f.fourcc).second) << f.name;
        EXPECT_EQ(zkv::FindFrameFormat(f.fourcc), &f) << f.name;
        if (f.fourcc != 0) {
            EXPECT_EQ(zkv::MakeFourcc(f.name), f.fourcc) << f.name;
        }
        if (f.tile == zkv::BayerTile::None) continue;
        ++bayer;
        // The letters give the first row's colours, then the colour below
        // that row's green; the digit gives the algorithm.
        const std::string name = f.name;
        const zkv::ConverterKind kinds[] = {zkv::ConverterKind::BayerFast, zkv::ConverterKind::BayerNearest,
                                            zkv::ConverterKind::BayerEdge};
        ASSERT_TRUE(name[3] >= '1' && name[3] <= '3') << name;
        EXPECT_EQ(kinds[name[3] - '1'], f.kind) << name;
        EXPECT_TRUE(f.decoded && f.outputSubtype) << name;
        EXPECT_EQ(8u, f.bitCount) << name;
        EXPECT_EQ(static_cast<std::uint32_t>(ZKV_PIXEL_RAW8), f.pixelFormat) << name;
        const std::uint32_t greenColumn = name[0] == 'G' ? 0 : 1;
        EXPECT_EQ(ColourOfLetter(name[0]), zkv::TileColourAt(f.tile, 0, 0)) << name;
        EXPECT_EQ(ColourOfLetter(name[1]), zkv::TileColourAt(f.tile, 0, 1)) << name;
        EXPECT_EQ(ColourOfLetter(name[2]), zkv::TileColourAt(f.tile, 1, greenColumn)) << name;
        EXPECT_EQ(zkv::kTileGreen, zkv::TileColourAt(f.tile, 1, greenColumn ^ 1)) << name;
    }
    EXPECT_EQ(12, bayer);
    EXPECT_EQ(zkv::FindFrameFormat(zkv::MakeFourcc("YUY2")), nullptr);
}

TEST(FrameFormatTable, FrameBytesFollowThePackedLayouts) {
    struct Case {
        char fourcc[5];
        std::uint64_t bytes640x480;
    } const cases[] = {
        {"ZKVY", 640 * 480}, {"ZY16", 2 * 640 * 480}, {"ZY44", 3 * 640 * 480},
        {"ZY41", 6 * 160 * 480}, {"UYVY", 2 * 640 * 480}, {"RGB3", 640 * 480},
    };
    for (const Case& c : cases) {
        const zkv::FrameFormat* f = zkv::FindFrameFormat(zkv::MakeFourcc(c.fourcc));
        ASSERT_NE(f, nullptr) << c.fourcc;
        EXPECT_EQ(c.bytes640x480, zkv::FrameByteCount(*f, 640, 480)) << c.fourcc;
    }
}

TEST(FrameFormatTable, UnknownTileCodesReadAsNoTile) {
    for (std::uint32_t code : {5u, 0xFFFFFFFFu}) {
        for (int site = 0; site < 4; ++site) EXPECT_EQ(zkv::kTileGreen, zkv::TileColours(code)[site]);
    }
}

TEST(CameraRegisters, NamesAscendOnQuadletsWithinTheBlock) {
    std::uint32_t previous = 0;
    bool first = true;
    for (const zkv::NamedRegister& r : zkv::kNamedRegisters) {
        EXPECT_EQ(0u, r.offset % 4) << r.name;
        EXPECT_LE(r.offset, zkv::kLastRegisterOffset) << r.name;
        if (!first) {
            EXPECT_GT(r.offset, previous) << r.name;
        }
        previous = r.offset;
        first = false;
    }
}

TEST(CameraRegisters, AbsoluteValueTriplesLieSideBySide) {
    int triples = 0;
    for (const zkv::NamedRegister& r : zkv::kNamedRegisters) {
        const std::string name = r.name;
        if (name.compare(0, 4, "ABS_") != 0 || name.size() < 8 || name.compare(name.size() - 4, 4, "_MIN") != 0) {
            continue;
        }
        const std::string base = name.substr(0, name.size() - 4);
        int found = 0;
        for (const zkv::NamedRegister& other : zkv::kNamedRegisters) {
            if (base + "_MAX" == other.name) found += other.offset == r.offset + 4 ? 1 : 100;
            if (base + "_VAL" == other.name) found += other.offset == r.offset + 8 ? 1 : 100;
        }
        EXPECT_EQ(2, found) << base;
        ++triples;
    }
    EXPECT_EQ(9, triples);
    EXPECT_EQ(zkv::CameraRegister::BRIGHTNESS - zkv::CameraRegister::BRIGHTNESS_INQ, zkv::kFeatureInquiryDistance);
    EXPECT_EQ(zkv::CameraRegister::SHUTTER - zkv::CameraRegister::SHUTTER_INQ, zkv::kFeatureInquiryDistance);
}

}  // namespace
