#include "TransformHarness.h"

#include <cstring>

#include "VirtualMediaSource.h"
#include "negotiation/FourccTable.h"

void MediaFoundationTest::SetUp() {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_EQ(MFStartup(MF_VERSION, MFSTARTUP_FULL), S_OK);
}

void MediaFoundationTest::TearDown() {
    MFShutdown();
    CoUninitialize();
}

GUID FourccGuid(DWORD fourcc) {
    GUID guid = MFVideoFormat_Base;
    guid.Data1 = fourcc;
    return guid;
}

DWORD FourccOf(const char* text) { return MakeFourcc(text[0], text[1], text[2], text[3]); }

HRESULT MakeVideoType(const GUID& major, const GUID& subtype, UINT32 width, UINT32 height,
                      IMFMediaType** type) {
    HRESULT hr = MFCreateMediaType(type);
    if (SUCCEEDED(hr)) hr = (*type)->SetGUID(MF_MT_MAJOR_TYPE, major);
    if (SUCCEEDED(hr)) hr = (*type)->SetGUID(MF_MT_SUBTYPE, subtype);
    if (SUCCEEDED(hr) && width) hr = MFSetAttributeSize(*type, MF_MT_FRAME_SIZE, width, height);
    return hr;
}

TransformDll::TransformDll() : module_(LoadLibraryA(BinPath("BrisalMft.dll").c_str())) {}

TransformDll::~TransformDll() {
    if (module_) FreeLibrary(module_);
}

HRESULT TransformDll::Create(IMFTransform** transform) const {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    if (!get) return E_FAIL;
    // {C3394019-1DAB-4301-B613-A7468D9FC975}
    const CLSID clsid = {0xc3394019, 0x1dab, 0x4301, {0xb6, 0x13, 0xa7, 0x46, 0x8d, 0x9f, 0xc9, 0x75}};
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(clsid, IID_IClassFactory, factory.Out());
    if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_IMFTransform, reinterpret_cast<void**>(transform));
    return hr;
}

HRESULT ReadCameraFrame(DWORD fourcc, UINT32 width, UINT32 height, std::vector<std::uint8_t>* frame,
                        LONGLONG* time) {
    ComPtr<IMFMediaSource> source;
    HRESULT hr = CreateVirtualMediaSource(fourcc, width, height, &source);
    ComPtr<IMFSourceReader> reader;
    if (SUCCEEDED(hr)) hr = MFCreateSourceReaderFromMediaSource(source.Get(), nullptr, &reader);
    ComPtr<IMFSample> sample;
    // The second frame: the moving square has left its first place.
    for (int i = 0; SUCCEEDED(hr) && i < 2; ++i) {
        DWORD stream = 0, flags = 0;
        hr = reader->ReadSample(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &stream, &flags, time,
                                &sample);
        if (SUCCEEDED(hr) && !sample.Get()) hr = E_FAIL;
    }
    ComPtr<IMFMediaBuffer> buffer;
    if (SUCCEEDED(hr)) hr = sample->ConvertToContiguousBuffer(&buffer);
    BYTE* data = nullptr;
    DWORD length = 0;
    if (SUCCEEDED(hr)) hr = buffer->Lock(&data, nullptr, &length);
    if (SUCCEEDED(hr)) {
        frame->assign(data, data + length);
        buffer->Unlock();
    }
    if (source.Get()) source->Shutdown();
    return hr;
}

HRESULT MakeInputSample(const std::vector<std::uint8_t>& frame, LONGLONG time, IMFSample** sample) {
    ComPtr<IMFMediaBuffer> buffer;
    HRESULT hr = MFCreateMemoryBuffer(static_cast<DWORD>(frame.size() ? frame.size() : 1), &buffer);
    BYTE* data = nullptr;
    if (SUCCEEDED(hr)) hr = buffer->Lock(&data, nullptr, nullptr);
    if (SUCCEEDED(hr)) {
        if (!frame.empty()) std::memcpy(data, frame.data(), frame.size());
        buffer->Unlock();
        hr = buffer->SetCurrentLength(static_cast<DWORD>(frame.size()));
    }
    if (SUCCEEDED(hr)) hr = MFCreateSample(sample);
    if (SUCCEEDED(hr)) hr = (*sample)->AddBuffer(buffer.Get());
    if (SUCCEEDED(hr)) hr = (*sample)->SetSampleTime(time);
    if (SUCCEEDED(hr)) hr = (*sample)->SetSampleDuration(kVirtualFrameDuration);
    return hr;
}

namespace {

std::vector<std::uint8_t> Decompress(const CodecDll& codec, DWORD fourcc, WORD bitCount, LONG width,
                                     LONG height, const std::vector<std::uint8_t>& frame,
                                     std::uint8_t fill) {
    BITMAPINFOHEADER in = Header(fourcc, bitCount, width, height);
    in.biSizeImage = static_cast<DWORD>(frame.size());
    BITMAPINFOHEADER out = RgbHeader(width, height);
    std::vector<std::uint8_t> image(out.biSizeImage, fill);
    const DWORD_PTR id = codec.Open();
    if (!id) return {};
    const bool ok = codec.Send(id, ICM_DECOMPRESS_BEGIN, &in, &out) == ICERR_OK &&
                    codec.Decompress(id, &in, frame.data(), &out, image.data()) == ICERR_OK;
    codec.Send(id, ICM_DECOMPRESS_END, nullptr, nullptr);
    codec.Send(id, DRV_CLOSE, nullptr, nullptr);
    return ok ? image : std::vector<std::uint8_t>{};
}

}  // namespace

Reference DecompressReference(const CodecDll& codec, DWORD fourcc, WORD bitCount, LONG width,
                              LONG height, const std::vector<std::uint8_t>& frame) {
    return {Decompress(codec, fourcc, bitCount, width, height, frame, 0xA5),
            Decompress(codec, fourcc, bitCount, width, height, frame, 0x5A)};
}

::testing::AssertionResult SameRows(const std::uint8_t* image, LONG pitch, const Reference& reference,
                                    UINT32 width, UINT32 height) {
    const std::size_t rowBytes = 4u * width;
    if (reference.image.size() != rowBytes * height || reference.second.size() != rowBytes * height) {
        return ::testing::AssertionFailure() << "no reference image";
    }
    for (UINT32 row = 0; row < height; ++row) {
        const std::size_t offset = (height - 1 - row) * rowBytes;
        const std::uint8_t* expected = reference.image.data() + offset;
        const std::uint8_t* second = reference.second.data() + offset;
        const std::uint8_t* actual = image + static_cast<std::ptrdiff_t>(row) * pitch;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (expected[i] == second[i] && actual[i] != expected[i]) {
                return ::testing::AssertionFailure()
                       << "row " << row << " pixel " << i / 4 << " byte " << i % 4 << ": "
                       << int(actual[i]) << " instead of " << int(expected[i]);
            }
        }
    }
    return ::testing::AssertionSuccess();
}
