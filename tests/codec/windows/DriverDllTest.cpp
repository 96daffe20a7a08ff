// Brisal.dll as the compression manager sees it: loaded by path, driven only
// through its one undecorated export.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CodecDll.h"
#include "convert/FrameConverter.h"
#include "negotiation/FourccTable.h"

namespace {

TEST(DriverDll, ExportsDriverProcUndecorated) {
    CodecDll dll;
    ASSERT_NE(nullptr, dll.Module()) << BinPath("Brisal.dll");
    EXPECT_NE(nullptr, dll.Proc());
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(GetProcAddress(dll.Module(), "DriverProc@20")));
    EXPECT_EQ(nullptr, reinterpret_cast<void*>(GetProcAddress(dll.Module(), "_DriverProc@20")));
}

TEST(DriverDll, AnswersTheDriverMessagesAndReportsItself) {
    CodecDll dll;
    ASSERT_NE(nullptr, dll.Proc());
    EXPECT_EQ(1, dll.Send(0, DRV_LOAD, nullptr, nullptr));
    EXPECT_EQ(1, dll.Send(0, DRV_ENABLE, nullptr, nullptr));
    EXPECT_EQ(0xFFFF0000, dll.Send(0, DRV_OPEN, nullptr, nullptr));
    EXPECT_EQ(1, dll.Send(0xFFFF0000, DRV_CLOSE, nullptr, nullptr));

    ICOPEN wrongType{};
    wrongType.fccType = mmioFOURCC('V', 'I', 'D', 'C');
    EXPECT_EQ(0, dll.Send(0, DRV_OPEN, nullptr, &wrongType));

    const DWORD_PTR id = dll.Open();
    ASSERT_NE(0u, id);
    ICINFO info;
    std::memset(&info, 0, sizeof info);
    EXPECT_EQ(568, dll.Send(id, ICM_GETINFO, &info, reinterpret_cast<void*>(sizeof info)));
    EXPECT_EQ(ICTYPE_VIDEO, info.fccType);
    EXPECT_EQ(mmioFOURCC('Z', 'K', 'V', 'C'), info.fccHandler);
    EXPECT_STREQ(L"ZKV-RGB", info.szName);
    EXPECT_STREQ(L"ZKV Codec", info.szDescription);
    EXPECT_EQ(ICERR_OK, dll.Send(id, ICM_ABOUT, reinterpret_cast<void*>(-1), nullptr));
    EXPECT_EQ(ICERR_UNSUPPORTED, dll.Send(id, ICM_CONFIGURE, reinterpret_cast<void*>(-1), nullptr));
    DWORD quality = 0;
    EXPECT_EQ(ICERR_OK, dll.Send(id, ICM_GETDEFAULTQUALITY, &quality, nullptr));
    EXPECT_EQ(7500u, quality);
    EXPECT_EQ(ICERR_BADFORMAT, dll.Send(id, ICM_COMPRESS_QUERY, nullptr, nullptr));
    EXPECT_EQ(ICERR_UNSUPPORTED, dll.Send(id, ICM_DRAW_BEGIN, nullptr, nullptr));
    EXPECT_EQ(1, dll.Send(id, DRV_CLOSE, nullptr, nullptr));
    EXPECT_EQ(1, dll.Send(0, DRV_DISABLE, nullptr, nullptr));
    EXPECT_EQ(1, dll.Send(0, DRV_FREE, nullptr, nullptr));
}

TEST(DriverDll, NegotiatesAndDecodesAMonoAndABayerFrame) {
    CodecDll dll;
    ASSERT_NE(nullptr, dll.Proc());
    const DWORD_PTR id = dll.Open();
    ASSERT_NE(0u, id);

    const BITMAPINFOHEADER mono = Header(mmioFOURCC('Y', '8', '0', '0'), 8, 2, 2);
    BITMAPINFOHEADER proposal{};
    EXPECT_EQ(40, dll.Send(id, ICM_DECOMPRESS_GET_FORMAT, &mono, nullptr));
    ASSERT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_GET_FORMAT, &mono, &proposal));
    ASSERT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_QUERY, &mono, &proposal));
    ASSERT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_BEGIN, &mono, &proposal));
    const std::uint8_t grey[4] = {10, 20, 30, 40};
    std::uint8_t image[16];
    ASSERT_EQ(ICERR_OK, dll.Decompress(id, &mono, grey, &proposal, image));
    const std::uint8_t expectedGrey[16] = {30, 30, 30, 0, 40, 40, 40, 0, 10, 10, 10, 0, 20, 20, 20, 0};
    EXPECT_EQ(0, std::memcmp(expectedGrey, image, 16));
    EXPECT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_END, nullptr, nullptr));
    EXPECT_EQ(ICERR_ERROR, dll.Decompress(id, &mono, grey, &proposal, image));

    const BITMAPINFOHEADER bayer = Header(mmioFOURCC('R', 'G', 'B', '1'), 8, 2, 2);
    const BITMAPINFOHEADER rgb = RgbHeader(2, 2);
    ASSERT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_BEGIN, &bayer, &rgb));
    const std::uint8_t raw[4] = {200, 100, 50, 10};
    ASSERT_EQ(ICERR_OK, dll.Decompress(id, &bayer, raw, &rgb, image));
    const std::uint8_t expectedColour[16] = {10, 50, 200, 0, 10, 75, 200, 0, 10, 75, 200, 0, 10, 100, 200, 0};
    EXPECT_EQ(0, std::memcmp(expectedColour, image, 16));
    EXPECT_EQ(1, dll.Send(id, DRV_CLOSE, nullptr, nullptr));
}

// The DLL's converters give what the core's scalar converters give, for every
// format (a check that the module carries the same table).
TEST(DriverDll, EveryFormatDecodesAsTheCoreConverts) {
    CodecDll dll;
    ASSERT_NE(nullptr, dll.Proc());
    const DWORD_PTR id = dll.Open();
    ASSERT_NE(0u, id);
    std::uint32_t seed = 1;
    for (const FourccFormat& format : kAcceptedFormats) {
        const int w = 20, h = 10;
        const BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, w, h);
        const BITMAPINFOHEADER out = RgbHeader(w, h);
        std::vector<std::uint8_t> frame(FrameByteCount(format, w, h));
        for (auto& b : frame) b = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
        std::vector<std::uint8_t> viaDll(4 * w * h, 0x11), viaCore(4 * w * h, 0x11);
        ASSERT_EQ(ICERR_OK, dll.Send(id, ICM_DECOMPRESS_BEGIN, &in, &out)) << format.name;
        ASSERT_EQ(ICERR_OK, dll.Decompress(id, &in, frame.data(), &out, viaDll.data())) << format.name;
        kFrameConverters[static_cast<int>(format.kind)](&in, frame.data(), &out, viaCore.data(),
                                                        static_cast<DWORD>(format.tile));
        EXPECT_EQ(viaCore, viaDll) << format.name;
    }
    dll.Send(id, DRV_CLOSE, nullptr, nullptr);
}

}  // namespace
