// The format messages: which inputs and outputs are accepted, what is proposed,
// and what BEGIN selects.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "OpenCodec.h"

namespace {

using Negotiation = OpenCodec;

DWORD FourccOf(const char* text) { return MakeFourcc(text[0], text[1], text[2], text[3]); }

TEST_F(Negotiation, EveryTableFormatIsAcceptedWithItsBitCountOnly) {
    for (const FourccFormat& format : kAcceptedFormats) {
        BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, 640, 480);
        EXPECT_EQ(ICERR_OK, Query(&in, nullptr)) << format.name;
        in.biBitCount = format.bitCount == 8 ? 16 : 8;
        EXPECT_EQ(ICERR_BADFORMAT, Query(&in, nullptr)) << format.name;
    }
    const struct {
        const char* fourcc;
        WORD bitCount;
    } refused[] = {{"ZKVY", 16}, {"ZY16", 8}, {"ZY41", 16}, {"UYVY", 16}, {"RAW8", 8}, {"zkvy", 8}};
    for (const auto& r : refused) {
        BITMAPINFOHEADER in = Header(FourccOf(r.fourcc), r.bitCount, 64, 48);
        const BITMAPINFOHEADER out = RgbHeader(64, 48);
        BITMAPINFOHEADER proposal{};
        EXPECT_EQ(ICERR_BADFORMAT, Query(&in, nullptr)) << r.fourcc;
        EXPECT_EQ(ICERR_BADFORMAT, Send(ICM_DECOMPRESS_GET_FORMAT, &in, &proposal)) << r.fourcc;
        EXPECT_EQ(ICERR_BADFORMAT, Begin(&in, &out)) << r.fourcc;
    }
    EXPECT_EQ(ICERR_BADFORMAT, Query(nullptr, nullptr));
}

TEST_F(Negotiation, AnyNonNegativeSizeOfAMonoInputIsAccepted) {
    for (const char* fourcc : {"Y800", "ZKVY"}) {
        for (const auto& size : {std::pair<LONG, LONG>{0, 0}, {1, 1}, {643, 482}, {4000, 3000}}) {
            const BITMAPINFOHEADER in =
                Header(FourccOf(fourcc), 8, size.first, size.second);
            EXPECT_EQ(ICERR_OK, Query(&in, nullptr)) << fourcc << " " << size.first << "x" << size.second;
        }
    }
}

// Inputs whose headers would lead a converter outside its buffers.
TEST_F(Negotiation, InputsThatCannotBeDecodedSafelyAreRefused) {
    struct Case {
        const char* what;
        DWORD fourcc;
        WORD bitCount;
        LONG width, height;
        DWORD sizeImage;
        DWORD headerSize;
        LRESULT expected;
    };
    const Case cases[] = {
        {"negative height", Fourcc("Y800"), 8, 64, -48, 0, 40, ICERR_BADFORMAT},
        {"negative width", Fourcc("ZY44"), 24, -64, 48, 0, 40, ICERR_BADFORMAT},
        {"short header", Fourcc("Y800"), 8, 64, 48, 0, 39, ICERR_BADFORMAT},
        {"oversized header", Fourcc("Y800"), 8, 64, 48, 0, 125, ICERR_BADFORMAT},
        {"version 5 header", Fourcc("Y800"), 8, 64, 48, 0, 124, ICERR_OK},
        {"image size below the frame", Fourcc("ZY16"), 16, 64, 48, 2 * 64 * 48 - 1, 40, ICERR_BADFORMAT},
        {"image size of the frame", Fourcc("ZY16"), 16, 64, 48, 2 * 64 * 48, 40, ICERR_OK},
        {"4:1:1 image size of the frame", Fourcc("ZY41"), 12, 10, 3, 6 * 2 * 3, 40, ICERR_OK},
        {"4:1:1 image size below", Fourcc("ZY41"), 12, 10, 3, 6 * 2 * 3 - 1, 40, ICERR_BADFORMAT},
        {"output too large to state", Fourcc("Y800"), 8, 65536, 16384, 0, 40, ICERR_BADFORMAT},
        {"largest statable output", Fourcc("Y800"), 8, 65535, 16384, 0, 40, ICERR_OK},
        {"nearest, one row", Fourcc("RGB2"), 8, 64, 1, 0, 40, ICERR_BADFORMAT},
        {"nearest, two rows", Fourcc("GBR2"), 8, 64, 2, 0, 40, ICERR_OK},
        {"edge, three rows", Fourcc("BGR3"), 8, 64, 3, 0, 40, ICERR_BADFORMAT},
        {"edge, four rows", Fourcc("GRB3"), 8, 64, 4, 0, 40, ICERR_OK},
        {"edge, odd size", Fourcc("RGB3"), 8, 7, 5, 0, 40, ICERR_OK},
        {"fast, one column", Fourcc("RGB1"), 8, 1, 64, 0, 40, ICERR_BADFORMAT},
        {"fast, one row", Fourcc("BGR1"), 8, 64, 1, 0, 40, ICERR_BADFORMAT},
        {"fast, two by two", Fourcc("GRB1"), 8, 2, 2, 0, 40, ICERR_OK},
        {"edge, empty", Fourcc("RGB3"), 8, 0, 0, 0, 40, ICERR_BADFORMAT},
    };
    for (const Case& c : cases) {
        BITMAPINFOHEADER in = Header(c.fourcc, c.bitCount, c.width, c.height);
        in.biSizeImage = c.sizeImage;
        in.biSize = c.headerSize;
        BITMAPINFOHEADER proposal{};
        EXPECT_EQ(c.expected, Query(&in, nullptr)) << c.what;
        if (c.expected != ICERR_OK) {
            EXPECT_EQ(ICERR_BADFORMAT, Send(ICM_DECOMPRESS_GET_FORMAT, &in, &proposal)) << c.what;
            EXPECT_EQ(ICERR_BADFORMAT, Begin(&in, &in)) << c.what;
            EXPECT_EQ(0u, Instance().inputFourcc) << c.what;
        }
    }
}

TEST_F(Negotiation, OnlyThe32BitImageOfTheInputsOwnSizeIsAcceptedAsOutput) {
    const BITMAPINFOHEADER in = Header(Fourcc("Y800"), 8, 640, 480);
    BITMAPINFOHEADER out = RgbHeader(640, 480);
    EXPECT_EQ(ICERR_OK, Query(&in, &out));
    out.biSizeImage = 0;
    out.biPlanes = 9;
    out.biSize = 12;
    EXPECT_EQ(ICERR_OK, Query(&in, &out)) << "size, planes and a missing image size are not examined";
    const struct {
        const char* what;
        void (*change)(BITMAPINFOHEADER&);
    } refused[] = {
        {"24 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 24; }},
        {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -480; }},
        {"bitfields", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
        {"wider", [](BITMAPINFOHEADER& h) { h.biWidth = 641; }},
        {"two rows fewer", [](BITMAPINFOHEADER& h) { h.biHeight = 478; }},
        {"two columns fewer", [](BITMAPINFOHEADER& h) { h.biWidth = 638; }},
        {"both two fewer", [](BITMAPINFOHEADER& h) { h.biWidth = 638, h.biHeight = 478; }},
        {"image size too small", [](BITMAPINFOHEADER& h) { h.biSizeImage = 4 * 640 * 480 - 1; }},
    };
    for (const auto& r : refused) {
        BITMAPINFOHEADER changed = RgbHeader(640, 480);
        r.change(changed);
        EXPECT_EQ(ICERR_BADFORMAT, Query(&in, &changed)) << r.what;
        EXPECT_EQ(ICERR_BADFORMAT, Begin(&in, &changed)) << r.what;
    }
}

TEST_F(Negotiation, GetFormatProposesThe32BitImageOfTheInputsOwnSize) {
    BITMAPINFOHEADER in = Header(Fourcc("ZY41"), 12, 640, 480);
    in.biXPelsPerMeter = 3780;
    in.biYPelsPerMeter = 3781;
    in.biClrUsed = 7;
    in.biClrImportant = 5;
    in.biSizeImage = 6 * 160 * 480;
    EXPECT_EQ(40, Send(ICM_DECOMPRESS_GET_FORMAT, &in, nullptr));
    BITMAPINFOHEADER out{};
    ASSERT_EQ(ICERR_OK, Send(ICM_DECOMPRESS_GET_FORMAT, &in, &out));
    EXPECT_EQ(40u, out.biSize);
    EXPECT_EQ(640, out.biWidth);
    EXPECT_EQ(480, out.biHeight);
    EXPECT_EQ(32, out.biBitCount);
    EXPECT_EQ(BI_RGB, out.biCompression);
    EXPECT_EQ(1228800u, out.biSizeImage);
    EXPECT_EQ(1, out.biPlanes);
    EXPECT_EQ(3780, out.biXPelsPerMeter);
    EXPECT_EQ(3781, out.biYPelsPerMeter);
    EXPECT_EQ(7u, out.biClrUsed);
    EXPECT_EQ(5u, out.biClrImportant);

    // Sizes that are not multiples of 4 keep their size and can be decoded.
    for (const FourccFormat& format : kAcceptedFormats) {
        const BITMAPINFOHEADER odd = Header(format.fourcc, format.bitCount, 643, 482);
        ASSERT_EQ(ICERR_OK, Send(ICM_DECOMPRESS_GET_FORMAT, &odd, &out)) << format.name;
        EXPECT_EQ(643, out.biWidth);
        EXPECT_EQ(482, out.biHeight);
        EXPECT_EQ(ICERR_OK, Query(&odd, &out)) << format.name;
        EXPECT_EQ(ICERR_OK, Begin(&odd, &out)) << format.name;
    }
}

TEST_F(Negotiation, BeginSelectsTheConverterAndTileOfTheFourccAndEndForgetsTheFourcc) {
    for (const FourccFormat& format : kAcceptedFormats) {
        const BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, 64, 48);
        const BITMAPINFOHEADER out = RgbHeader(64, 48);
        ASSERT_EQ(ICERR_OK, Begin(&in, &out)) << format.name;
        EXPECT_EQ(format.fourcc, Instance().inputFourcc);
        EXPECT_EQ(static_cast<DWORD>(format.kind), Instance().converterKind);
        EXPECT_EQ(static_cast<DWORD>(format.tile), Instance().tileLayout);
        EXPECT_EQ(ICERR_OK, Send(ICM_DECOMPRESS_END, nullptr, nullptr));
        EXPECT_EQ(0u, Instance().inputFourcc);
        EXPECT_EQ(static_cast<DWORD>(format.kind), Instance().converterKind);
        EXPECT_EQ(static_cast<DWORD>(format.tile), Instance().tileLayout);
    }
}

TEST(FourccTable, NamesTheBitCountConverterAndTileOfEveryFormat) {
    using K = ConverterKind;
    using T = BayerTile;
    const struct {
        DWORD fourcc;
        WORD bitCount;
        ConverterKind kind;
        BayerTile tile;
    } expected[] = {
        {Fourcc("ZKVY"), 8, K::Mono8, T::None},         {Fourcc("Y800"), 8, K::Mono8, T::None},
        {Fourcc("ZY16"), 16, K::Mono16, T::None},       {Fourcc("ZY44"), 24, K::Yuv444, T::None},
        {Fourcc("ZY41"), 12, K::Yuv411, T::None},       {Fourcc("RGB1"), 8, K::BayerFast, T::RGGB},
        {Fourcc("RGB2"), 8, K::BayerNearest, T::RGGB},  {Fourcc("RGB3"), 8, K::BayerEdge, T::RGGB},
        {Fourcc("GRB1"), 8, K::BayerFast, T::GRBG},     {Fourcc("GRB2"), 8, K::BayerNearest, T::GRBG},
        {Fourcc("GRB3"), 8, K::BayerEdge, T::GRBG},     {Fourcc("GBR1"), 8, K::BayerFast, T::GBRG},
        {Fourcc("GBR2"), 8, K::BayerNearest, T::GBRG},  {Fourcc("GBR3"), 8, K::BayerEdge, T::GBRG},
        {Fourcc("BGR1"), 8, K::BayerFast, T::BGGR},     {Fourcc("BGR2"), 8, K::BayerNearest, T::BGGR},
        {Fourcc("BGR3"), 8, K::BayerEdge, T::BGGR},
    };
    EXPECT_EQ(std::size(expected), kAcceptedFormatCount);
    for (const auto& e : expected) {
        const FourccFormat* format = FindAcceptedFormat(e.bitCount, e.fourcc);
        ASSERT_NE(nullptr, format) << std::hex << e.fourcc;
        EXPECT_EQ(e.kind, format->kind) << std::hex << e.fourcc;
        EXPECT_EQ(e.tile, format->tile) << std::hex << e.fourcc;
    }
}

TEST_F(Negotiation, ARefusedBeginKeepsThePreviousSelection) {
    const BITMAPINFOHEADER yuv = Header(Fourcc("ZY44"), 24, 64, 48);
    const BITMAPINFOHEADER out = RgbHeader(64, 48);
    ASSERT_EQ(ICERR_OK, Begin(&yuv, &out));
    const BITMAPINFOHEADER bayer = Header(Fourcc("GBR3"), 8, 64, 48);
    BITMAPINFOHEADER bad = out;
    bad.biBitCount = 24;
    EXPECT_EQ(ICERR_BADFORMAT, Begin(&bayer, &bad));
    EXPECT_EQ(ICERR_BADFORMAT, Begin(&bayer, nullptr)) << "BEGIN needs an output format";
    EXPECT_EQ(Fourcc("ZY44"), Instance().inputFourcc);
    EXPECT_EQ(2u, Instance().converterKind);
    EXPECT_EQ(0u, Instance().tileLayout);
    EXPECT_EQ(ICERR_OK, Begin(&bayer, &out)) << "a new BEGIN replaces the selection";
    EXPECT_EQ(6u, Instance().converterKind);
    EXPECT_EQ(3u, Instance().tileLayout);
}

// Some decompressor filters begin with the input's own header in the output
// position; the query still refuses it.
TEST_F(Negotiation, BeginTakesAnOutputThatRepeatsTheInputFormat) {
    const BITMAPINFOHEADER in = Header(Fourcc("RGB3"), 8, 64, 48);
    EXPECT_EQ(ICERR_BADFORMAT, Query(&in, &in));
    EXPECT_EQ(ICERR_OK, Begin(&in, &in));
    EXPECT_EQ(Fourcc("RGB3"), Instance().inputFourcc);
    BITMAPINFOHEADER otherSize = in;
    otherSize.biHeight = 46;
    EXPECT_EQ(ICERR_BADFORMAT, Begin(&in, &otherSize));
    BITMAPINFOHEADER otherFourcc = in;
    otherFourcc.biCompression = Fourcc("RGB2");
    EXPECT_EQ(ICERR_BADFORMAT, Begin(&in, &otherFourcc));
}

TEST_F(Negotiation, GetPaletteIsAlwaysRefused) {
    const BITMAPINFOHEADER in = Header(Fourcc("Y800"), 8, 64, 48);
    const BITMAPINFOHEADER out = RgbHeader(64, 48);
    EXPECT_EQ(ICERR_BADFORMAT, Send(ICM_DECOMPRESS_GET_PALETTE, nullptr, nullptr));
    EXPECT_EQ(ICERR_BADFORMAT, Send(ICM_DECOMPRESS_GET_PALETTE, &in, &out));
}

TEST(NegotiationWithoutInstance, BeginAndEndOnTheIdOfNoInstanceTouchNothing) {
    const BITMAPINFOHEADER in = Header(Fourcc("Y800"), 8, 64, 48);
    const BITMAPINFOHEADER out = RgbHeader(64, 48);
    EXPECT_EQ(ICERR_ERROR, DriverProc(kNoInstanceDriverId, nullptr, ICM_DECOMPRESS_BEGIN,
                                      reinterpret_cast<LPARAM>(&in), reinterpret_cast<LPARAM>(&out)));
    EXPECT_EQ(ICERR_OK, DriverProc(kNoInstanceDriverId, nullptr, ICM_DECOMPRESS_END, 0, 0));
    EXPECT_EQ(ICERR_OK, DriverProc(0, nullptr, ICM_DECOMPRESS_QUERY, reinterpret_cast<LPARAM>(&in),
                                   reinterpret_cast<LPARAM>(&out)));
}

}  // namespace
