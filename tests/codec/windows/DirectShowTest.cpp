// The codec under DirectShow: the platform's AVI decompressor filter, fed
// raw Bayer samples by a minimal upstream pin, opens the installed codec
// through the compression manager and hands its 32-bit frames to a sample
// grabber. The grabbed image is the converter's image of the frame.
#include <gtest/gtest.h>

#include <dshow.h>
#include <qedit.h>

#include <cstring>
#include <vector>

#include "CodecDll.h"
#include "convert/FrameConverter.h"

namespace {

// The platform's sample grabber and null renderer (qedit).
const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const IID kIidSampleGrabber = {0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};

template <typename T>
void Release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// The video subtype of a FOURCC.
GUID FourccSubtype(DWORD fourcc) {
    GUID subtype = MEDIASUBTYPE_YUY2;
    subtype.Data1 = fourcc;
    return subtype;
}

// An output pin that belongs to no filter: enough for the decompressor's
// input pin to accept a connection from it. Lives on the test's stack.
class UpstreamPin : public IPin {
public:
    explicit UpstreamPin(const AM_MEDIA_TYPE& type) : type_(type) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IPin) {
            *object = static_cast<IPin*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override {
        *pin = nullptr;
        return VFW_E_NOT_CONNECTED;
    }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override {
        info->pFilter = nullptr;
        info->dir = PINDIR_OUTPUT;
        lstrcpyW(info->achName, L"Camera");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override {
        *direction = PINDIR_OUTPUT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override {
        *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(L"Camera")));
        if (!*id) return E_OUTOFMEMORY;
        lstrcpyW(*id, L"Camera");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

private:
    AM_MEDIA_TYPE type_;
};

IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION pinDirection;
        if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction) break;
        Release(pin);
    }
    pins->Release();
    return pin;
}

// Pin to pin, not through the graph, for the same reason.
HRESULT ConnectFilters(IBaseFilter* from, IBaseFilter* to) {
    IPin* out = FirstPin(from, PINDIR_OUTPUT);
    IPin* in = FirstPin(to, PINDIR_INPUT);
    const HRESULT hr = out && in ? out->Connect(in, nullptr) : E_FAIL;
    Release(in);
    Release(out);
    return hr;
}

// Delivers one frame to an input pin in a sample of the given allocator.
HRESULT DeliverFrame(IMemInputPin* input, IMemAllocator* allocator, const std::vector<std::uint8_t>& frame) {
    IMediaSample* sample = nullptr;
    HRESULT hr = allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    BYTE* data = nullptr;
    if (SUCCEEDED(hr)) hr = sample->GetPointer(&data);
    if (SUCCEEDED(hr) && sample->GetSize() < static_cast<LONG>(frame.size())) hr = E_FAIL;
    if (SUCCEEDED(hr)) {
        std::memcpy(data, frame.data(), frame.size());
        sample->SetActualDataLength(static_cast<LONG>(frame.size()));
        sample->SetSyncPoint(TRUE);
        hr = input->Receive(sample);
    }
    Release(sample);
    return hr;
}

TEST(DirectShow, TheAviDecompressorFilterDecodesBayerFramesThroughTheInstalledCodec) {
    const int w = 32, h = 24;
    VIDEOINFOHEADER format{};
    format.bmiHeader = Header(mmioFOURCC('R', 'G', 'B', '3'), 8, w, h);
    format.bmiHeader.biSizeImage = w * h;
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = FourccSubtype(mmioFOURCC('R', 'G', 'B', '3'));
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = w * h;
    type.formattype = FORMAT_VideoInfo;
    type.cbFormat = sizeof format;
    type.pbFormat = reinterpret_cast<BYTE*>(&format);
    std::vector<std::uint8_t> frame(w * h);
    for (int i = 0; i < w * h; ++i) frame[i] = static_cast<std::uint8_t>(i * 7 + i / w * 13);

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    UpstreamPin camera(type);
    IGraphBuilder* graph = nullptr;
    IBaseFilter* decompressor = nullptr;
    IBaseFilter* grabberFilter = nullptr;
    ISampleGrabber* grabber = nullptr;
    IBaseFilter* renderer = nullptr;
    IPin* decompressorInput = nullptr;
    IMemInputPin* memInput = nullptr;
    IMemAllocator* allocator = nullptr;
    std::vector<std::uint8_t> grabbed;

    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&graph));
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_AVIDec, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                             reinterpret_cast<void**>(&decompressor));
    if (SUCCEEDED(hr)) hr = graph->AddFilter(decompressor, L"Decompressor");
    if (SUCCEEDED(hr)) hr = CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                             reinterpret_cast<void**>(&grabberFilter));
    if (SUCCEEDED(hr)) hr = grabberFilter->QueryInterface(kIidSampleGrabber, reinterpret_cast<void**>(&grabber));
    if (SUCCEEDED(hr)) {
        AM_MEDIA_TYPE wanted{};
        wanted.majortype = MEDIATYPE_Video;
        wanted.subtype = MEDIASUBTYPE_RGB32;
        hr = grabber->SetMediaType(&wanted);
    }
    if (SUCCEEDED(hr)) hr = grabber->SetBufferSamples(TRUE);
    if (SUCCEEDED(hr)) hr = graph->AddFilter(grabberFilter, L"Grabber");
    if (SUCCEEDED(hr)) hr = CoCreateInstance(kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                             reinterpret_cast<void**>(&renderer));
    if (SUCCEEDED(hr)) hr = graph->AddFilter(renderer, L"Renderer");
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;

    decompressorInput = FirstPin(decompressor, PINDIR_INPUT);
    ASSERT_NE(nullptr, decompressorInput);
    hr = decompressorInput->ReceiveConnection(&camera, &type);
    EXPECT_TRUE(SUCCEEDED(hr)) << "the decompressor refused the Bayer input, hr=" << std::hex << hr;
    if (SUCCEEDED(hr)) {
        hr = ConnectFilters(decompressor, grabberFilter);
        EXPECT_TRUE(SUCCEEDED(hr)) << "no 32-bit output from the decompressor, hr=" << std::hex << hr;
    }
    if (SUCCEEDED(hr)) hr = ConnectFilters(grabberFilter, renderer);
    if (SUCCEEDED(hr)) hr = decompressorInput->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&memInput));
    // The upstream pin brings its own allocator, as an output pin does.
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IMemAllocator, reinterpret_cast<void**>(&allocator));
    if (SUCCEEDED(hr)) {
        ALLOCATOR_PROPERTIES request{1, w * h, 1, 0}, actual{};
        hr = allocator->SetProperties(&request, &actual);
    }
    if (SUCCEEDED(hr)) hr = memInput->NotifyAllocator(allocator, FALSE);
    if (SUCCEEDED(hr)) hr = allocator->Commit();
    // The filters are run one by one, downstream first: the graph itself
    // would walk upstream to the camera pin, which belongs to no filter.
    IBaseFilter* const running[] = {renderer, grabberFilter, decompressor};
    for (IBaseFilter* filter : running) {
        if (SUCCEEDED(hr)) hr = filter->Pause();
        if (SUCCEEDED(hr)) hr = filter->Run(0);
    }
    if (SUCCEEDED(hr)) {
        hr = DeliverFrame(memInput, allocator, frame);
        EXPECT_TRUE(SUCCEEDED(hr)) << "frame not delivered, hr=" << std::hex << hr;
    }
    if (SUCCEEDED(hr)) {
        LONG size = 0;
        hr = grabber->GetCurrentBuffer(&size, nullptr);
        if (SUCCEEDED(hr) && size > 0) {
            grabbed.resize(size);
            hr = grabber->GetCurrentBuffer(&size, reinterpret_cast<LONG*>(grabbed.data()));
        }
    }
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    for (IBaseFilter* filter : {decompressor, grabberFilter, renderer}) {
        if (filter) filter->Stop();
    }
    if (allocator) allocator->Decommit();
    if (decompressorInput) decompressorInput->Disconnect();
    Release(allocator);
    Release(memInput);
    Release(decompressorInput);
    Release(renderer);
    Release(grabber);
    Release(grabberFilter);
    Release(decompressor);
    Release(graph);
    CoUninitialize();

    const BITMAPINFOHEADER out = RgbHeader(w, h);
    std::vector<std::uint8_t> expected(4 * w * h, 0);
    kFrameConverters[static_cast<int>(ConverterKind::BayerEdge)](&format.bmiHeader, frame.data(), &out,
                                                                  expected.data(), 1);
    ASSERT_EQ(expected.size(), grabbed.size());
    // The fourth byte is whatever the downstream buffer held: compare colours.
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i % 4 != 3) {
            ASSERT_EQ(expected[i], grabbed[i]) << "byte " << i;
        }
    }
}

}  // namespace
