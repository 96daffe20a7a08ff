// What a Media Foundation application gets from BrisalMft.dll beside what a
// VfW one gets from Brisal.dll: each FOURCC decoded at 1280 x 960, once through
// ProcessInput / ProcessOutput of the decoder transform (into one reused
// output sample) and once through ICDecompress, in frames per second from the
// median time of a frame. Both DLLs are loaded from the given folder (default:
// beside this program) without being installed.
//   BrisalMftBench [folder] [seconds per FOURCC and route]
#include <windows.h>
#include <vfw.h>
#include <mfapi.h>
#include <mftransform.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFormats.h"

namespace {

using bench::Format;
using bench::FormatOf;
using bench::kFourccs;

constexpr UINT32 kWidth = 1280;
constexpr UINT32 kHeight = 960;
const CLSID kTransformClsid = {0xc3394019, 0x1dab, 0x4301, {0xb6, 0x13, 0xa7, 0x46, 0x8d, 0x9f, 0xc9, 0x75}};


double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs `frame` for about `seconds`; the median time of one call, or 0 on failure.
template <typename Step>
double MedianTime(double seconds, Step frame) {
    std::vector<double> times;
    const double start = Now();
    double after = start;
    do {
        const double before = Now();
        if (!frame()) return 0;
        after = Now();
        times.push_back(after - before);
    } while (after - start < seconds);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double MeasureIcm(FARPROC driverProc, const Format& format, const std::vector<BYTE>& frame, double seconds) {
    BITMAPINFOHEADER in{};
    in.biSize = sizeof in;
    in.biWidth = kWidth;
    in.biHeight = kHeight;
    in.biPlanes = 1;
    in.biBitCount = format.bitCount;
    in.biCompression = format.fourcc;
    in.biSizeImage = static_cast<DWORD>(frame.size());
    HIC codec = ICOpenFunction(ICTYPE_VIDEO, in.biCompression, ICMODE_DECOMPRESS, driverProc);
    if (!codec) return 0;
    BITMAPINFOHEADER out{};
    double median = 0;
    if (ICDecompressGetFormat(codec, &in, &out) == ICERR_OK && ICDecompressBegin(codec, &in, &out) == ICERR_OK) {
        std::vector<BYTE> image(out.biSizeImage);
        median = MedianTime(seconds, [&] {
            return ICDecompress(codec, 0, &in, const_cast<BYTE*>(frame.data()), &out, image.data()) == ICERR_OK;
        });
        ICDecompressEnd(codec);
    }
    ICClose(codec);
    return median;
}

double MeasureTransform(IClassFactory* factory, const Format& format, const std::vector<BYTE>& frame,
                        double seconds) {
    IMFTransform* transform = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IMFTransform, reinterpret_cast<void**>(&transform)))) return 0;
    IMFMediaType* type = nullptr;
    GUID subtype = MFVideoFormat_Base;
    subtype.Data1 = format.fourcc;
    HRESULT hr = MFCreateMediaType(&type);
    if (SUCCEEDED(hr)) hr = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    if (SUCCEEDED(hr)) hr = type->SetGUID(MF_MT_SUBTYPE, subtype);
    if (SUCCEEDED(hr)) hr = MFSetAttributeSize(type, MF_MT_FRAME_SIZE, kWidth, kHeight);
    if (SUCCEEDED(hr)) hr = transform->SetInputType(0, type, 0);
    if (type) type->Release();
    type = nullptr;
    if (SUCCEEDED(hr)) hr = transform->GetOutputAvailableType(0, 0, &type);
    if (SUCCEEDED(hr)) hr = transform->SetOutputType(0, type, 0);
    if (type) type->Release();

    IMFMediaBuffer* inBuffer = nullptr;
    IMFSample* inSample = nullptr;
    IMFMediaBuffer* outBuffer = nullptr;
    IMFSample* outSample = nullptr;
    if (SUCCEEDED(hr)) hr = MFCreateMemoryBuffer(static_cast<DWORD>(frame.size()), &inBuffer);
    BYTE* data = nullptr;
    if (SUCCEEDED(hr)) hr = inBuffer->Lock(&data, nullptr, nullptr);
    if (SUCCEEDED(hr)) {
        std::copy(frame.begin(), frame.end(), data);
        inBuffer->Unlock();
        hr = inBuffer->SetCurrentLength(static_cast<DWORD>(frame.size()));
    }
    if (SUCCEEDED(hr)) hr = MFCreateSample(&inSample);
    if (SUCCEEDED(hr)) hr = inSample->AddBuffer(inBuffer);
    if (SUCCEEDED(hr)) hr = MFCreateMemoryBuffer(4 * kWidth * kHeight, &outBuffer);
    if (SUCCEEDED(hr)) hr = MFCreateSample(&outSample);
    if (SUCCEEDED(hr)) hr = outSample->AddBuffer(outBuffer);
    double median = 0;
    if (SUCCEEDED(hr)) {
        median = MedianTime(seconds, [&] {
            MFT_OUTPUT_DATA_BUFFER output = {0, outSample, 0, nullptr};
            DWORD status = 0;
            return SUCCEEDED(transform->ProcessInput(0, inSample, 0)) &&
                   SUCCEEDED(transform->ProcessOutput(0, 1, &output, &status));
        });
    }
    for (IUnknown* unknown : {static_cast<IUnknown*>(outSample), static_cast<IUnknown*>(outBuffer),
                              static_cast<IUnknown*>(inSample), static_cast<IUnknown*>(inBuffer)}) {
        if (unknown) unknown->Release();
    }
    transform->Release();
    return median;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? std::string(argv[1]) + "\\" : std::string();
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    HMODULE codec = LoadLibraryA((folder + "Brisal.dll").c_str());
    HMODULE mft = LoadLibraryA((folder + "BrisalMft.dll").c_str());
    FARPROC driverProc = codec ? GetProcAddress(codec, "DriverProc") : nullptr;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = mft ? reinterpret_cast<GetClassObject>(
                                    reinterpret_cast<void*>(GetProcAddress(mft, "DllGetClassObject")))
                              : nullptr;
    if (!driverProc || !getClassObject) {
        std::fprintf(stderr, "cannot load Brisal.dll and BrisalMft.dll from '%s'\n", folder.c_str());
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    MFStartup(MF_VERSION, MFSTARTUP_LITE);
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(kTransformClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        std::fprintf(stderr, "no class object for the decoder transform\n");
        return 2;
    }
    std::printf("%s, %ux%u, frames/s (ms/frame)\n\n", sizeof(void*) == 8 ? "x86_64" : "i686", kWidth, kHeight);
    std::printf("| FOURCC | ICDecompress | ProcessOutput |\n|---|---:|---:|\n");
    int failures = 0;
    for (const char* fourcc : kFourccs) {
        const Format& format = FormatOf(fourcc);
        std::vector<BYTE> frame(static_cast<DWORD>(zkv::FrameByteCount(format, kWidth, kHeight)));
        unsigned seed = 1;
        for (auto& b : frame) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<BYTE>(seed >> 16);
        }
        const double icm = MeasureIcm(driverProc, format, frame, seconds);
        const double mf = MeasureTransform(factory, format, frame, seconds);
        if (icm <= 0 || mf <= 0) ++failures;
        std::printf("| %s | %7.1f (%6.3f) | %7.1f (%6.3f) |\n", format.name, icm > 0 ? 1.0 / icm : 0.0,
                    1000.0 * icm, mf > 0 ? 1.0 / mf : 0.0, 1000.0 * mf);
    }
    factory->Release();
    MFShutdown();
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
