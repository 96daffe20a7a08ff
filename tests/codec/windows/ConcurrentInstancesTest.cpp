// Ten instances in ten threads that begin and decompress at the same moment,
// the first calls into a freshly loaded codec: its module-level state (the
// processor level, the converter table) must come out the same for all of
// them, and every frame must match the plain converters. Under Wine the test
// drives the built Brisal.dll; natively it calls DriverProc directly, so that
// ThreadSanitizer sees the same calls.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "convert/FrameConverter.h"
#include "negotiation/FourccTable.h"
#ifdef _WIN32
#include "CodecDll.h"
#else
#include "driver/DriverProc.h"
#endif

namespace {

constexpr int kInstances = 10;
constexpr int kFramesEach = 6;
constexpr LONG kWidth = 320, kHeight = 240;

#ifdef _WIN32
CodecDll* g_dll;
LRESULT Send(DWORD_PTR id, UINT message, const void* a, const void* b) { return g_dll->Send(id, message, a, b); }
#else
LRESULT Send(DWORD_PTR id, UINT message, const void* a, const void* b) {
    return DriverProc(id, nullptr, message, reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b));
}
#endif

BITMAPINFOHEADER Bitmap(DWORD compression, WORD bitCount) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kWidth;
    header.biHeight = kHeight;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = compression;
    if (compression == 0) header.biSizeImage = static_cast<DWORD>(4 * kWidth * kHeight);
    return header;
}

std::vector<std::uint8_t> Frame(const FourccFormat& format, std::uint32_t seed) {
    std::vector<std::uint8_t> frame(FrameByteCount(format, kWidth, kHeight));
    for (auto& b : frame) b = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    return frame;
}

// One instance's whole life: open, begin, decompress its frames, close.
// Returns what went wrong, empty when nothing did.
std::string RunInstance(const FourccFormat& format, int index) {
    ICOPEN open{};
    open.dwSize = sizeof open;
    open.fccType = kFourccVideoCompressor;
    open.fccHandler = kFourccCodecHandler;
    const DWORD_PTR id = static_cast<DWORD_PTR>(Send(0, DRV_OPEN, nullptr, &open));
    if (id == 0) return "DRV_OPEN failed";
    const BITMAPINFOHEADER in = Bitmap(format.fourcc, format.bitCount);
    const BITMAPINFOHEADER out = Bitmap(0, 32);
    std::string fault;
    if (Send(id, ICM_DECOMPRESS_BEGIN, &in, &out) != ICERR_OK) fault = "ICM_DECOMPRESS_BEGIN failed";
    for (int f = 0; f < kFramesEach && fault.empty(); ++f) {
        const std::vector<std::uint8_t> frame = Frame(format, static_cast<std::uint32_t>(index * 100 + f));
        std::vector<std::uint8_t> got(4 * kWidth * kHeight, 0x11), want(got);
        ICDECOMPRESS request{};
        request.lpbiInput = const_cast<BITMAPINFOHEADER*>(&in);
        request.lpInput = const_cast<std::uint8_t*>(frame.data());
        request.lpbiOutput = const_cast<BITMAPINFOHEADER*>(&out);
        request.lpOutput = got.data();
        if (Send(id, ICM_DECOMPRESS, &request, reinterpret_cast<void*>(sizeof request)) != ICERR_OK) {
            fault = "ICM_DECOMPRESS failed on frame " + std::to_string(f);
            break;
        }
        kFrameConverters[static_cast<int>(format.kind)](&in, frame.data(), &out, want.data(),
                                                        static_cast<DWORD>(format.tile));
        if (got != want) fault = "frame " + std::to_string(f) + " differs from the plain converter";
    }
    Send(id, DRV_CLOSE, nullptr, nullptr);
    return fault;
}

TEST(ConcurrentInstances, TenThreadsBeginAndDecompressAtOnce) {
#ifdef _WIN32
    CodecDll dll;
    ASSERT_NE(nullptr, dll.Proc());
    g_dll = &dll;
#endif
    // Every kind of converter among the ten: mono, YUV and the Bayer algorithms.
    std::vector<const FourccFormat*> formats;
    for (std::size_t i = 0; formats.size() < kInstances; i = (i + 7) % kAcceptedFormatCount)
        formats.push_back(&kAcceptedFormats[i]);

    std::mutex lock;
    std::condition_variable gate;
    bool open = false;
    std::vector<std::string> faults(kInstances);
    std::vector<std::thread> threads;
    for (int i = 0; i < kInstances; ++i) {
        threads.emplace_back([&, i] {
            {
                std::unique_lock<std::mutex> hold(lock);
                gate.wait(hold, [&] { return open; });
            }
            faults[i] = RunInstance(*formats[i], i);
        });
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        open = true;
    }
    gate.notify_all();
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < kInstances; ++i) EXPECT_EQ("", faults[i]) << formats[i]->name;
}

}  // namespace
