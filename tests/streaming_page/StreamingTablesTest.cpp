// The format names of the streaming page and the per-camera saved formats.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "SavedStandardFormats.h"
#include "StreamingFormatTables.h"

namespace {

TEST(StreamingFormatTables, FourccsAreFourAsciiBytesLowestFirst) {
    EXPECT_EQ(MakeFourcc("RGB3"), 0x33424752u);
    EXPECT_EQ(MakeFourcc("UYVY"), 0x59565955u);
}

TEST(StreamingFormatTables, EveryPixelFormatHasItsConversionExceptRaw8) {
    // Apply turns a non-Bayer pixel-format name into the pin's subtype
    // through the conversion table: each must be there with the same FOURCC
    // and depth.
    for (const PixelFormatRow& row : PixelFormatTable) {
        if (row.formatBit == 0x200) {
            EXPECT_EQ(FourccByConversionName(row.name), 0u) << row.name;
            continue;
        }
        EXPECT_EQ(FourccByConversionName(row.name), row.fourcc) << row.name;
        EXPECT_STREQ(ConversionNameByFourcc(row.fourcc), row.name);
        EXPECT_EQ(BitsPerPixelByName(row.name), row.bitsPerPixel);
    }
}

TEST(StreamingFormatTables, LookupsByNameAreExactAndFirstRowWins) {
    EXPECT_EQ(FormatBitByName("Y800"), 0x001u);
    EXPECT_EQ(FormatBitByName("Y(Mono)"), 0x001u);
    EXPECT_EQ(FormatBitByName("Raw8"), 0x200u);
    EXPECT_EQ(BitsPerPixelByName("YUV(4:1:1)"), 12u);
    EXPECT_EQ(BitsPerPixelByName("Y(Mono16)"), 16u);
    for (const char* miss : {"raw8", "Raw8 ", "Raw", "", "RGGB Edge Sensing"}) {
        EXPECT_EQ(FormatBitByName(miss), 0u) << miss;
        EXPECT_EQ(BitsPerPixelByName(miss), 0u) << miss;
    }
    EXPECT_EQ(FormatBitByName(nullptr), 0u);
    EXPECT_EQ(BitsPerPixelByName(nullptr), 0u);

    EXPECT_EQ(FourccByConversionName("RGGB Edge Sensing"), MakeFourcc("RGB3"));
    EXPECT_EQ(FourccByConversionName("GBRG Nearest Neighbor Fast"), MakeFourcc("GBR1"));
    EXPECT_EQ(FourccByConversionName("RGB24"), 0u);
    EXPECT_EQ(FourccByConversionName("rggb edge sensing"), 0u);
    EXPECT_EQ(FourccByConversionName(nullptr), 0u);
}

TEST(StreamingFormatTables, ConversionNamesByFourcc) {
    EXPECT_STREQ(ConversionNameByFourcc(0), "RGB24");
    EXPECT_STREQ(ConversionNameByFourcc(MakeFourcc("BGR2")), "BGGR Nearest Neighbor");
    EXPECT_STREQ(ConversionNameByFourcc(MakeFourcc("ZKVY")), "Y(Mono)");
    EXPECT_EQ(ConversionNameByFourcc(MakeFourcc("RAW8")), nullptr);
    EXPECT_EQ(ConversionNameByFourcc(MakeFourcc("YUY2")), nullptr);

    // Twelve Bayer conversions: four tiles times three algorithms, 8 bits each.
    int bayer = 0;
    for (const ConversionRow& row : ConversionTable) {
        if (std::strstr(row.name, "Neighbor") || std::strstr(row.name, "Edge")) {
            ++bayer;
            EXPECT_EQ(row.bitsPerPixel, 8u) << row.name;
        }
        EXPECT_LT(std::strlen(row.name), kFormatNameSize);
    }
    EXPECT_EQ(bayer, 12);
}

TEST(StreamingFormatTables, RowsStandInThePagesOrder) {
    // Both lists are drawn from the shared frame format table; the page's
    // first-match lookups and list orders depend on these rows exactly.
    const std::vector<std::string> pixelFormats = {"Y800:8:1:Y800",        "ZKVY:8:1:Y(Mono)",
                                                   "ZY41:12:2:YUV(4:1:1)", "UYVY:16:4:YUV(4:2:2)",
                                                   "ZY44:24:8:YUV(4:4:4)", "ZY16:16:32:Y(Mono16)",
                                                   "RAW8:8:512:Raw8"};
    std::vector<std::string> rows;
    for (const PixelFormatRow& row : PixelFormatTable) {
        const char fourcc[5] = {char(row.fourcc), char(row.fourcc >> 8), char(row.fourcc >> 16),
                                char(row.fourcc >> 24), 0};
        rows.push_back(std::string(fourcc) + ":" + std::to_string(row.bitsPerPixel) + ":" +
                       std::to_string(row.formatBit) + ":" + row.name);
    }
    EXPECT_EQ(rows, pixelFormats);

    const char* const conversions[] = {"Y800", "Y(Mono)", "Y(Mono16)", "YUV(4:1:1)", "YUV(4:2:2)", "YUV(4:4:4)",
                                       "RGB24", "RGGB Nearest Neighbor Fast", "RGGB Nearest Neighbor",
                                       "RGGB Edge Sensing", "BGGR Nearest Neighbor Fast", "BGGR Nearest Neighbor",
                                       "BGGR Edge Sensing", "GRBG Nearest Neighbor Fast", "GRBG Nearest Neighbor",
                                       "GRBG Edge Sensing", "GBRG Nearest Neighbor Fast", "GBRG Nearest Neighbor",
                                       "GBRG Edge Sensing"};
    ASSERT_EQ(std::size(conversions), ConversionTable.size());
    for (std::size_t i = 0; i < ConversionTable.size(); ++i) EXPECT_STREQ(conversions[i], ConversionTable[i].name);
}

std::vector<std::string> Names(std::uint32_t supported, std::uint32_t current,
                               const char** currentName) {
    const char* names[kPixelFormatRows];
    std::size_t count = SupportedPixelFormatNames(supported, current, names, currentName);
    return std::vector<std::string>(names, names + count);
}

TEST(StreamingFormatTables, SupportedPixelFormatNames) {
    const char* current = "stale";
    // 8-bit mono appears under both names; the later row names the current one.
    EXPECT_EQ(Names(0x001 | 0x200, 0x001, &current),
              (std::vector<std::string>{"Y800", "Y(Mono)", "Raw8"}));
    EXPECT_STREQ(current, "Y(Mono)");

    EXPECT_EQ(Names(0x02F, 0x020, &current),
              (std::vector<std::string>{"Y800", "Y(Mono)", "YUV(4:1:1)", "YUV(4:2:2)",
                                        "YUV(4:4:4)", "Y(Mono16)"}));
    EXPECT_STREQ(current, "Y(Mono16)");

    // A current format the camera does not list is still named; an unknown one is not.
    EXPECT_EQ(Names(0x200, 0x004, &current), (std::vector<std::string>{"Raw8"}));
    EXPECT_STREQ(current, "YUV(4:2:2)");
    EXPECT_TRUE(Names(0x400, 0x400, &current).empty());
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(Names(0xFFFFFFFF, 0, &current).size(), kPixelFormatRows);
}

TEST(StreamingFormatTables, ResolutionTextIgnoresTheRowOrder) {
    char text[kFormatNameSize];
    FormatResolutionText(640, 480, text);
    EXPECT_STREQ(text, "640x480");
    FormatResolutionText(640, -480, text);
    EXPECT_STREQ(text, "640x480");
    FormatResolutionText(INT_MIN, INT_MIN, text);
    EXPECT_STREQ(text, "-2147483648x2147483648");
}

TEST(SavedStandardFormats, OneEntryPerCameraAndTheLastSaveWins) {
    SavedStandardFormats store;
    const CameraKey a{CameraKey::SerialNumber, 0x1234};
    const CameraKey b{CameraKey::SerialNumber, 0x5678};
    const CameraKey filterA{CameraKey::FilterIdentity, 0x1234};
    StandardFormat format;
    EXPECT_FALSE(store.Load(a, &format));

    store.Save(a, StandardFormat{640, 480, MakeFourcc("RGB3")});
    store.Save(b, StandardFormat{1024, -768, 0});
    EXPECT_FALSE(store.Load(filterA, &format)) << "a serial number is no filter identity";

    ASSERT_TRUE(store.Load(a, &format));
    EXPECT_EQ(format.width, 640);
    EXPECT_EQ(format.height, 480);
    EXPECT_EQ(format.compression, MakeFourcc("RGB3"));
    store.Save(a, StandardFormat{320, 240, MakeFourcc("UYVY")});
    ASSERT_TRUE(store.Load(a, &format));
    EXPECT_EQ(format.width, 320);
    ASSERT_TRUE(store.Load(b, &format));
    EXPECT_EQ(format.height, -768);
}

TEST(SavedStandardFormats, CamerasOnTheirOwnThreadsKeepTheirOwnFormat) {
    // Ten cameras, as the viewer runs them, each saving and reading back its
    // own format; under the sanitizers a race or a mixed entry shows.
    SavedStandardFormats& store = SavedStandardFormats::Module();
    std::vector<std::thread> threads;
    std::vector<int> mismatches(10, 0);
    for (int camera = 0; camera < 10; ++camera) {
        threads.emplace_back([&store, &mismatches, camera] {
            const CameraKey key{CameraKey::SerialNumber, 0xC0000000u + camera};
            for (int round = 0; round < 2000; ++round) {
                store.Save(key, StandardFormat{camera, round, static_cast<std::uint32_t>(camera)});
                StandardFormat back;
                if (!store.Load(key, &back) || back.width != camera || back.height != round) {
                    ++mismatches[camera];
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int camera = 0; camera < 10; ++camera) EXPECT_EQ(mismatches[camera], 0) << camera;
}

}  // namespace
