// ICM_DECOMPRESS through DriverProc: every accepted format decodes into an
// output buffer of exactly 4 x W x H bytes from an input of exactly the frame's
// byte count (AddressSanitizer sees any access past either), and every
// request that does not fit the buffers or the decompression begun is refused
// without touching the output.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "OpenCodec.h"

namespace {

using DecompressFrames = OpenCodec;

TEST_F(DecompressFrames, EveryFormatDecodesExactlySizedBuffersAsItsConverterDoes) {
    std::mt19937 random(5);
    for (const FourccFormat& format : kAcceptedFormats) {
        for (const auto& size : {std::pair<int, int>{2, 4}, {7, 5}, {8, 6}, {13, 9}, {64, 48}}) {
            const int w = size.first, h = size.second;
            BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, w, h);
            in.biSizeImage = static_cast<DWORD>(FrameByteCount(format, w, h));
            const BITMAPINFOHEADER out = RgbHeader(w, h);
            // A 4:1:1 frame narrower than one group has no bytes, but still a buffer.
            std::vector<std::uint8_t> frame = RandomBytes(in.biSizeImage, random);
            frame.reserve(1);
            ASSERT_EQ(ICERR_OK, Begin(&in, &out)) << format.name << " " << w << "x" << h;
            std::vector<std::uint8_t> image(4 * w * h, 0x3C);
            ICDECOMPRESS request{};
            request.dwFlags = 0xF8000000;  // hurry-up, preroll, null frame, not a key frame: all ignored
            request.lpbiInput = &in;
            request.lpInput = const_cast<std::uint8_t*>(frame.data());
            request.lpbiOutput = const_cast<BITMAPINFOHEADER*>(&out);
            request.lpOutput = image.data();
            ASSERT_EQ(ICERR_OK, DriverProc(id_, nullptr, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), 0));
            const std::vector<std::uint8_t> expected = Convert(format.kind, format.tile, w, h, frame, 0x3C);
            EXPECT_EQ(expected, image) << format.name << " " << w << "x" << h;
            EXPECT_EQ(ICERR_OK, Send(ICM_DECOMPRESS_END, nullptr, nullptr));
        }
    }
}

TEST_F(DecompressFrames, WithoutABegunDecompressionNothingIsConverted) {
    const BITMAPINFOHEADER in = Header(Fourcc("Y800"), 8, 4, 4);
    const BITMAPINFOHEADER out = RgbHeader(4, 4);
    std::vector<std::uint8_t> frame(16, 9), image(64, 0xEE);
    EXPECT_EQ(ICERR_ERROR, Decompress(&in, frame.data(), &out, image.data())) << "never begun";
    ASSERT_EQ(ICERR_OK, Begin(&in, &out));
    ASSERT_EQ(ICERR_OK, Send(ICM_DECOMPRESS_END, nullptr, nullptr));
    EXPECT_EQ(ICERR_ERROR, Decompress(&in, frame.data(), &out, image.data())) << "ended";
    EXPECT_EQ(std::vector<std::uint8_t>(64, 0xEE), image);

    ICDECOMPRESS request{};
    request.lpbiInput = const_cast<BITMAPINFOHEADER*>(&in);
    request.lpInput = frame.data();
    request.lpbiOutput = const_cast<BITMAPINFOHEADER*>(&out);
    request.lpOutput = image.data();
    EXPECT_EQ(ICERR_ERROR, DriverProc(kNoInstanceDriverId, nullptr, ICM_DECOMPRESS,
                                      reinterpret_cast<LPARAM>(&request), sizeof request));
    ASSERT_EQ(ICERR_OK, Begin(&in, &out));
    EXPECT_EQ(ICERR_ERROR, DriverProc(id_, nullptr, ICM_DECOMPRESS, 0, 0)) << "no request";
    EXPECT_EQ(ICERR_ERROR, Decompress(&in, nullptr, &out, image.data())) << "no input bytes";
    EXPECT_EQ(ICERR_ERROR, Decompress(&in, frame.data(), &out, nullptr)) << "no output bytes";
    EXPECT_EQ(ICERR_BADFORMAT, Decompress(nullptr, frame.data(), &out, image.data())) << "no input header";
    EXPECT_EQ(ICERR_BADFORMAT, Decompress(&in, frame.data(), nullptr, image.data())) << "no output header";
    EXPECT_EQ(std::vector<std::uint8_t>(64, 0xEE), image);
    EXPECT_EQ(ICERR_OK, Decompress(&in, frame.data(), &out, image.data()));
}

// Each case: what BEGIN accepted, and the headers and buffers of one frame
// whose buffers are exactly as large as the headers given at ICM_DECOMPRESS
// make them (or as the caller really allocated).
TEST_F(DecompressFrames, FramesThatDoNotFitTheirBuffersAreRefusedUntouched) {
    struct Case {
        const char* what;
        BITMAPINFOHEADER begunIn;
        BITMAPINFOHEADER in;
        std::size_t inBytes;
        BITMAPINFOHEADER out;
        std::size_t outBytes;
    };
    const BITMAPINFOHEADER y800 = Header(Fourcc("Y800"), 8, 16, 12);
    const BITMAPINFOHEADER yuv = Header(Fourcc("ZY44"), 24, 16, 12);
    const BITMAPINFOHEADER rgb = RgbHeader(16, 12);
    BITMAPINFOHEADER smallImage = yuv;
    smallImage.biSizeImage = 3 * 16 * 12 - 1;
    BITMAPINFOHEADER rgb24 = rgb;
    rgb24.biBitCount = 24;
    BITMAPINFOHEADER smaller = RgbHeader(14, 10);
    BITMAPINFOHEADER topDown = RgbHeader(16, -12);
    BITMAPINFOHEADER shortOutput = rgb;
    shortOutput.biSizeImage = 4 * 16 * 11;
    BITMAPINFOHEADER negative = y800;
    negative.biHeight = -12;
    BITMAPINFOHEADER edge = Header(Fourcc("RGB3"), 8, 16, 12);
    BITMAPINFOHEADER edgeLow = Header(Fourcc("RGB3"), 8, 16, 3);
    const Case cases[] = {
        {"input image size below the frame", yuv, smallImage, smallImage.biSizeImage, rgb, 4 * 16 * 12},
        {"24-bit output", y800, y800, 16 * 12, rgb24, 3 * 16 * 12},
        {"output two smaller", y800, y800, 16 * 12, smaller, 4 * 14 * 10},
        {"top-down output", y800, y800, 16 * 12, topDown, 4 * 16 * 12},
        {"output image size too small", y800, y800, 16 * 12, shortOutput, 4 * 16 * 11},
        {"negative input height", y800, negative, 16 * 12, RgbHeader(16, -12), 4 * 16 * 12},
        {"frame of another FOURCC than begun", yuv, y800, 16 * 12, rgb, 4 * 16 * 12},
        {"edge-sensing frame of three rows", edge, edgeLow, 16 * 3, RgbHeader(16, 3), 4 * 16 * 3},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ICERR_OK, Begin(&c.begunIn, &rgb)) << c.what;
        std::vector<std::uint8_t> frame(c.inBytes, 0x80);
        std::vector<std::uint8_t> image(c.outBytes, 0xEE);
        EXPECT_EQ(ICERR_BADFORMAT, Decompress(&c.in, frame.data(), &c.out, image.data())) << c.what;
        EXPECT_EQ(std::vector<std::uint8_t>(c.outBytes, 0xEE), image) << c.what;
    }
}

TEST_F(DecompressFrames, ABeginWithTheInputHeaderAsOutputDecodesOnlyIntoA32BitImage) {
    const BITMAPINFOHEADER in = Header(Fourcc("BGR2"), 8, 6, 4);
    ASSERT_EQ(ICERR_OK, Begin(&in, &in));
    std::vector<std::uint8_t> frame(24, 40), image(4 * 24, 0);
    EXPECT_EQ(ICERR_BADFORMAT, Decompress(&in, frame.data(), &in, image.data()));
    const BITMAPINFOHEADER out = RgbHeader(6, 4);
    EXPECT_EQ(ICERR_OK, Decompress(&in, frame.data(), &out, image.data()));
    EXPECT_EQ(40, image[0]);
    EXPECT_EQ(40, image[4 * 24 - 2]);
}

}  // namespace
