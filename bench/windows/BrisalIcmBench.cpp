// What an application gets from the real Brisal.dll: each FOURCC decoded at
// 1280 x 960 through the compression manager (ICDecompress), in frames per
// second (from the median time of a frame), and that time as a multiple of a
// `rep stosb` fill of the same output buffer timed in turn with the frames
// (the floor: the machine is shared, so only ratios within one run compare).
// The DLL is given on the command line (default: Brisal.dll beside this
// program) and opened with ICOpenFunction, so nothing is installed.
//   BrisalIcmBench [path\to\Brisal.dll] [seconds per FOURCC]
#include <windows.h>
#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchFormats.h"

namespace {

using bench::Format;
using bench::FormatOf;
using bench::kFourccs;

constexpr LONG kWidth = 1280;
constexpr LONG kHeight = 960;


double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Fill(unsigned char* bytes, size_t count) {
    __asm__ volatile("rep stosb" : "+D"(bytes), "+c"(count) : "a"(0) : "memory");
}

double Median(std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Decodes frames of one FOURCC for about `seconds`; false when the codec
// refuses the format at any step.
bool Measure(FARPROC driverProc, const Format& format, double seconds) {
    BITMAPINFOHEADER in{};
    in.biSize = sizeof in;
    in.biWidth = kWidth;
    in.biHeight = kHeight;
    in.biPlanes = 1;
    in.biBitCount = format.bitCount;
    in.biCompression = format.fourcc;
    in.biSizeImage = static_cast<DWORD>(zkv::FrameByteCount(format, kWidth, kHeight));
    std::vector<unsigned char> frame(in.biSizeImage);
    unsigned seed = 1;
    for (auto& b : frame) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<unsigned char>(seed >> 16);
    }

    HIC codec = ICOpenFunction(ICTYPE_VIDEO, format.fourcc, ICMODE_DECOMPRESS, driverProc);
    if (!codec) {
        std::printf("| %s | not opened |\n", format.name);
        return false;
    }
    BITMAPINFOHEADER out{};
    bool ok = ICDecompressQuery(codec, &in, nullptr) == ICERR_OK &&
              ICDecompressGetFormat(codec, &in, &out) == ICERR_OK &&
              ICDecompressBegin(codec, &in, &out) == ICERR_OK;
    if (ok) {
        std::vector<unsigned char> image(static_cast<size_t>(out.biSizeImage));
        // The median time of a frame: frames during which the thread was
        // descheduled on a busy machine do not move it.
        LARGE_INTEGER frequency, start, before, after;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        std::vector<double> times;
        std::vector<double> fills;
        do {
            QueryPerformanceCounter(&before);
            ok = ICDecompress(codec, 0, &in, frame.data(), &out, image.data()) == ICERR_OK;
            QueryPerformanceCounter(&after);
            times.push_back(Seconds(before, after, frequency));
            QueryPerformanceCounter(&before);
            Fill(image.data(), image.size());
            QueryPerformanceCounter(&after);
            fills.push_back(Seconds(before, after, frequency));
        } while (ok && Seconds(start, after, frequency) < seconds);
        if (ok) {
            const double median = Median(times);
            const double fill = Median(fills);
            std::printf("| %s | %8.1f | %7.3f | %7.3f | %6.2f |\n", format.name, 1.0 / median,
                        1000.0 * median, 1000.0 * fill, median / fill);
        }
        ICDecompressEnd(codec);
    }
    if (!ok) std::printf("| %s | refused |\n", format.name);
    ICClose(codec);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dll = argc > 1 ? argv[1] : "Brisal.dll";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    HMODULE module = LoadLibraryA(dll);
    FARPROC driverProc = module ? GetProcAddress(module, "DriverProc") : nullptr;
    if (!driverProc) {
        std::fprintf(stderr, "cannot load DriverProc from %s\n", dll);
        return 2;
    }
    std::printf("%s, %s, %ldx%ld through ICDecompress\n\n", dll,
                sizeof(void*) == 8 ? "x86_64" : "i686", kWidth, kHeight);
    std::printf("| FOURCC | frames/s | ms/frame | fill ms | x fill |\n|---|---:|---:|---:|---:|\n");
    int failures = 0;
    for (const char* fourcc : kFourccs) failures += Measure(driverProc, FormatOf(fourcc), seconds) ? 0 : 1;
    FreeLibrary(module);
    return failures == 0 ? 0 : 1;
}
