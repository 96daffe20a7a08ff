// Every buffer the codec is given ends where a no-access page begins: frames
// of exactly the frame's byte count, images of exactly 4 x W x H bytes, and
// the headers and the request record themselves. Accepted frames decode and
// refused ones are refused, with no access past any end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "CodecDll.h"
#include "negotiation/FourccTable.h"

namespace {

std::string g_case;  // what runs now, named if it faults

LONG CALLBACK ReportFault(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        std::fprintf(stderr, "access violation in case: %s\n", g_case.c_str());
        std::fflush(stderr);
        ExitProcess(3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class GuardPages : public ::testing::Test {
protected:
    void SetUp() override {
        handler_ = AddVectoredExceptionHandler(1, ReportFault);
        ASSERT_NE(nullptr, dll_.Proc());
        id_ = dll_.Open();
        ASSERT_NE(0u, id_);
    }
    void TearDown() override {
        dll_.Send(id_, DRV_CLOSE, nullptr, nullptr);
        RemoveVectoredExceptionHandler(handler_);
    }

    // A header copied into a buffer of exactly its size.
    static void Place(GuardedBuffer& buffer, const BITMAPINFOHEADER& header) {
        std::memcpy(buffer.Data(), &header, sizeof header);
    }

    LRESULT DecompressGuarded(const BITMAPINFOHEADER& in, std::size_t inBytes,
                              const BITMAPINFOHEADER& out, std::size_t outBytes) {
        GuardedBuffer inHeader(sizeof in), outHeader(sizeof out), frame(inBytes), image(outBytes);
        GuardedBuffer request(sizeof(ICDECOMPRESS));
        Place(inHeader, in);
        Place(outHeader, out);
        std::memset(frame.Data(), 0x5A, inBytes);
        ICDECOMPRESS* record = request.As<ICDECOMPRESS>();
        std::memset(record, 0, sizeof *record);
        record->lpbiInput = inHeader.As<BITMAPINFOHEADER>();
        record->lpInput = frame.Data();
        record->lpbiOutput = outHeader.As<BITMAPINFOHEADER>();
        record->lpOutput = image.Data();
        return dll_.Send(id_, ICM_DECOMPRESS, record, reinterpret_cast<void*>(sizeof *record));
    }

    LRESULT BeginGuarded(const BITMAPINFOHEADER& in, const BITMAPINFOHEADER& out) {
        GuardedBuffer inHeader(sizeof in), outHeader(sizeof out);
        Place(inHeader, in);
        Place(outHeader, out);
        return dll_.Send(id_, ICM_DECOMPRESS_BEGIN, inHeader.Data(), outHeader.Data());
    }

    CodecDll dll_;
    DWORD_PTR id_ = 0;
    PVOID handler_ = nullptr;
};

TEST_F(GuardPages, TheByteAfterAGuardedBufferCannotBeTouched) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{40}, std::size_t{4096}, std::size_t{5000}}) {
        GuardedBuffer buffer(size);
        ASSERT_NE(nullptr, buffer.Data());
        MEMORY_BASIC_INFORMATION after{}, inside{};
        ASSERT_NE(0u, VirtualQuery(buffer.Data() + size, &after, sizeof after));
        EXPECT_EQ(static_cast<DWORD>(PAGE_NOACCESS), after.Protect) << size;
        if (size > 0) {
            ASSERT_NE(0u, VirtualQuery(buffer.Data() + size - 1, &inside, sizeof inside));
            EXPECT_EQ(static_cast<DWORD>(PAGE_READWRITE), inside.Protect) << size;
        }
    }
}

TEST_F(GuardPages, EveryFormatDecodesFromAndIntoExactlySizedBuffers) {
    const std::pair<int, int> sizes[] = {{2, 4}, {3, 5}, {4, 4}, {7, 5}, {8, 6}, {9, 7}, {33, 17}, {640, 480}};
    for (const FourccFormat& format : kAcceptedFormats) {
        for (const auto& size : sizes) {
            const int w = size.first, h = size.second;
            g_case = std::string(format.name) + " " + std::to_string(w) + "x" + std::to_string(h);
            const BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, w, h);
            const BITMAPINFOHEADER out = RgbHeader(w, h);
            ASSERT_EQ(ICERR_OK, BeginGuarded(in, out)) << g_case;
            EXPECT_EQ(ICERR_OK, DecompressGuarded(in, FrameByteCount(format, w, h), out, 4u * w * h)) << g_case;
        }
    }
}

TEST_F(GuardPages, MonoAndYuvFramesOfOnePixelAndOfNoBytes) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.kind > ConverterKind::Yuv411) continue;
        for (const auto& size : {std::pair<int, int>{1, 1}, {3, 2}, {5, 1}}) {
            const int w = size.first, h = size.second;
            g_case = std::string(format.name) + " " + std::to_string(w) + "x" + std::to_string(h);
            const BITMAPINFOHEADER in = Header(format.fourcc, format.bitCount, w, h);
            const BITMAPINFOHEADER out = RgbHeader(w, h);
            ASSERT_EQ(ICERR_OK, BeginGuarded(in, out)) << g_case;
            EXPECT_EQ(ICERR_OK, DecompressGuarded(in, FrameByteCount(format, w, h), out, 4u * w * h)) << g_case;
        }
    }
}

TEST_F(GuardPages, FramesThatDoNotFitTheirBuffersAreRefused) {
    const BITMAPINFOHEADER y800 = Header(mmioFOURCC('Y', '8', '0', '0'), 8, 16, 12);
    const BITMAPINFOHEADER yuv = Header(mmioFOURCC('Z', 'Y', '4', '4'), 24, 16, 12);
    const BITMAPINFOHEADER rgb = RgbHeader(16, 12);
    struct Case {
        const char* what;
        BITMAPINFOHEADER begunIn, in;
        std::size_t inBytes;
        BITMAPINFOHEADER out;
        std::size_t outBytes;
        LRESULT expected;
    };
    BITMAPINFOHEADER smallImage = yuv;
    smallImage.biSizeImage = 3 * 16 * 12 - 1;
    BITMAPINFOHEADER rgb24 = rgb;
    rgb24.biBitCount = 24;
    BITMAPINFOHEADER shortOutput = rgb;
    shortOutput.biSizeImage = 4 * 16 * 11;
    BITMAPINFOHEADER negative = y800;
    negative.biHeight = -12;
    BITMAPINFOHEADER negativeWidth = y800;
    negativeWidth.biWidth = -16;
    const BITMAPINFOHEADER edge = Header(mmioFOURCC('R', 'G', 'B', '3'), 8, 16, 12);
    const BITMAPINFOHEADER edgeLow = Header(mmioFOURCC('R', 'G', 'B', '3'), 8, 16, 3);
    const BITMAPINFOHEADER nearest = Header(mmioFOURCC('B', 'G', 'R', '2'), 8, 16, 12);
    const BITMAPINFOHEADER nearestLow = Header(mmioFOURCC('B', 'G', 'R', '2'), 8, 16, 1);
    const Case cases[] = {
        {"input image size below the frame", yuv, smallImage, smallImage.biSizeImage, rgb, 4 * 16 * 12, ICERR_BADFORMAT},
        {"24-bit output", y800, y800, 16 * 12, rgb24, 3 * 16 * 12, ICERR_BADFORMAT},
        {"output two smaller", y800, y800, 16 * 12, RgbHeader(14, 10), 4 * 14 * 10, ICERR_BADFORMAT},
        {"output two narrower", y800, y800, 16 * 12, RgbHeader(14, 12), 4 * 14 * 12, ICERR_BADFORMAT},
        {"top-down output", y800, y800, 16 * 12, RgbHeader(16, -12), 4 * 16 * 12, ICERR_BADFORMAT},
        {"output image size too small", y800, y800, 16 * 12, shortOutput, 4 * 16 * 11, ICERR_BADFORMAT},
        {"negative input height", y800, negative, 16 * 12, RgbHeader(16, -12), 4 * 16 * 12, ICERR_BADFORMAT},
        {"negative input width", y800, negativeWidth, 16 * 12, RgbHeader(-16, 12), 4 * 16 * 12, ICERR_BADFORMAT},
        {"frame of another FOURCC than begun", yuv, y800, 16 * 12, rgb, 4 * 16 * 12, ICERR_BADFORMAT},
        {"edge sensing with three rows", edge, edgeLow, 16 * 3, RgbHeader(16, 3), 4 * 16 * 3, ICERR_BADFORMAT},
        {"nearest with one row", nearest, nearestLow, 16, RgbHeader(16, 1), 4 * 16, ICERR_BADFORMAT},
    };
    for (const Case& c : cases) {
        g_case = c.what;
        ASSERT_EQ(ICERR_OK, BeginGuarded(c.begunIn, rgb)) << c.what;
        EXPECT_EQ(c.expected, DecompressGuarded(c.in, c.inBytes, c.out, c.outBytes)) << c.what;
    }

    g_case = "decompress after END";
    EXPECT_EQ(ICERR_OK, dll_.Send(id_, ICM_DECOMPRESS_END, nullptr, nullptr));
    EXPECT_EQ(ICERR_ERROR, DecompressGuarded(y800, 16 * 12, rgb, 4 * 16 * 12));
    g_case = "BEGIN without an output format";
    GuardedBuffer inHeader(sizeof y800);
    Place(inHeader, y800);
    EXPECT_EQ(ICERR_BADFORMAT, dll_.Send(id_, ICM_DECOMPRESS_BEGIN, inHeader.Data(), nullptr));
    g_case = "refused inputs at BEGIN";
    EXPECT_EQ(ICERR_BADFORMAT, BeginGuarded(edgeLow, RgbHeader(16, 3)));
    EXPECT_EQ(ICERR_BADFORMAT, BeginGuarded(nearestLow, RgbHeader(16, 1)));
    EXPECT_EQ(ICERR_BADFORMAT, BeginGuarded(negative, RgbHeader(16, -12)));
}

// The proposal is written into a buffer of exactly the size the codec asked
// for, from a header of exactly its stated size, also for the largest one.
TEST_F(GuardPages, GetFormatStaysInsideBothHeaders) {
    for (const DWORD headerSize : {40u, 124u}) {
        g_case = "GET_FORMAT with a header of " + std::to_string(headerSize) + " bytes";
        GuardedBuffer in(headerSize);
        std::memset(in.Data(), 0, headerSize);
        BITMAPINFOHEADER header = Header(mmioFOURCC('Z', 'Y', '1', '6'), 16, 643, 482);
        header.biSize = headerSize;
        Place(in, header);
        const LRESULT needed = dll_.Send(id_, ICM_DECOMPRESS_GET_FORMAT, in.Data(), nullptr);
        ASSERT_EQ(static_cast<LRESULT>(headerSize), needed);
        GuardedBuffer out(static_cast<std::size_t>(needed));
        ASSERT_EQ(ICERR_OK, dll_.Send(id_, ICM_DECOMPRESS_GET_FORMAT, in.Data(), out.Data()));
        const BITMAPINFOHEADER* proposal = out.As<BITMAPINFOHEADER>();
        EXPECT_EQ(643, proposal->biWidth);
        EXPECT_EQ(482, proposal->biHeight);
        EXPECT_EQ(4u * 643 * 482, proposal->biSizeImage);
    }
    g_case = "GET_INFO into a record of exactly its size";
    GuardedBuffer info(sizeof(ICINFO));
    EXPECT_EQ(568, dll_.Send(id_, ICM_GETINFO, info.Data(), reinterpret_cast<void*>(sizeof(ICINFO))));
}

}  // namespace
