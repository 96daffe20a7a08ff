// Frames in real graphs: every format as packed by the camera, decoded by
// the installed codec, rendered to the video renderer, two cameras at once.
#include "CameraTestSupport.h"

#include <cstdlib>

#include "FramePacker.h"
#include "VirtualCameraClasses.h"
#include "ZKVFrameCounters.h"
#include "ZKVVirtualCameraControl.h"

using namespace simtest;

namespace {

class StreamingTest : public ComTest {};

HRESULT UseFormat(IBaseFilter* filter, std::uint32_t fourcc, std::uint32_t width) {
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(filter);
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = pin->QueryInterface(IID_IAMStreamConfig, config.Out());
    if (FAILED(hr)) return hr;
    AM_MEDIA_TYPE* mt = StreamCapsType(config.Get(), fourcc, width, false);
    if (!mt) return E_FAIL;
    hr = config->SetFormat(mt);
    DeleteMediaType(mt);
    return hr;
}

// A filter bound to a fresh device of the given kind, as the enumerator would.
HRESULT CreateCamera(const wchar_t* kind, IBaseFilter** filter) {
    HRESULT hr = CoCreateInstance(CLSID_ZkvVirtualCamera, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(filter));
    if (FAILED(hr)) return hr;
    class KindBag : public IPropertyBag {
    public:
        explicit KindBag(const wchar_t* k) : m_kind(k) {}
        STDMETHODIMP QueryInterface(REFIID, void** o) override {
            *o = this;
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 2; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
            if (lstrcmpW(name, L"ZkvKind") != 0) return E_INVALIDARG;
            v->vt = VT_BSTR;
            v->bstrVal = SysAllocString(m_kind);
            return S_OK;
        }
        STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

    private:
        const wchar_t* m_kind;
    } bag(kind);
    ComPtr<IPersistPropertyBag> persist;
    hr = (*filter)->QueryInterface(IID_IPersistPropertyBag, persist.Out());
    return SUCCEEDED(hr) ? persist->Load(&bag, nullptr) : hr;
}

zkvsim::StreamFormat ConnectedFormat(GrabberGraph& graph, IBaseFilter* camera) {
    zkvsim::StreamFormat f;
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(camera);
    AM_MEDIA_TYPE mt = {};
    if (SUCCEEDED(pin->ConnectionMediaType(&mt))) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
        f.fourcc = vih->bmiHeader.biCompression;
        f.width = f.sceneWidth = vih->bmiHeader.biWidth;
        f.height = f.sceneHeight = vih->bmiHeader.biHeight;
        FreeMediaType(mt);
    }
    return f;
}

// Checks decoded 32-bit bottom-up frames against the bars of the scene.
void ExpectBars(const CapturedFrame& frame, std::uint32_t w, std::uint32_t h, bool mono, int tolerance,
                const char* what) {
    ASSERT_EQ(4u * w * h, frame.bytes.size()) << what;
    const std::uint32_t barWidth = w / zkvsim::kSceneBars;
    int failures = 0;
    for (std::uint32_t bar = 0; bar < zkvsim::kSceneBars; ++bar) {
        zkvsim::Rgb want = zkvsim::BarColor(bar);
        if (mono) {
            const auto l = static_cast<std::uint8_t>(zkvsim::Luma16(want) >> 8);
            want = {l, l, l};
        }
        for (std::uint32_t y = 8; y + 8 < h * 3 / 4; y += 7) {
            for (std::uint32_t x = bar * barWidth + 4; x + 4 < (bar + 1) * barWidth; x += 5) {
                const std::uint8_t* p = &frame.bytes[4 * ((h - 1 - y) * w + x)];
                if (std::abs(p[2] - want.r) > tolerance || std::abs(p[1] - want.g) > tolerance ||
                    std::abs(p[0] - want.b) > tolerance) {
                    if (++failures < 4) {
                        ADD_FAILURE() << what << " bar " << bar << " at " << x << "," << y << ": got " << int(p[2])
                                      << "," << int(p[1]) << "," << int(p[0]) << " want " << int(want.r) << ","
                                      << int(want.g) << "," << int(want.b);
                    }
                }
            }
        }
    }
    EXPECT_EQ(0, failures) << what;
}

}  // namespace

TEST_F(StreamingTest, EveryFormatStreamsTheCamerasFramesWithTimestamps) {
    struct Case {
        const wchar_t* kind;
        std::uint32_t fourcc;
        std::uint32_t width;
    };
    const Case cases[] = {
        {L"bayer", zkvsim::MakeFourcc('R', 'G', 'B', '3'), 640}, {L"bayer-bggr", zkvsim::MakeFourcc('B', 'G', 'R', '1'), 800},
        {L"yuv", zkvsim::MakeFourcc('Z', 'Y', '4', '1'), 640},   {L"yuv", zkvsim::MakeFourcc('U', 'Y', 'V', 'Y'), 320},
        {L"yuv", zkvsim::MakeFourcc('Z', 'Y', '4', '4'), 160},   {L"yuv", 0, 640},
        {L"mono", zkvsim::MakeFourcc('Y', '8', '0', '0'), 1024}, {L"mono", zkvsim::MakeFourcc('Z', 'K', 'V', 'Y'), 640},
        {L"mono", zkvsim::MakeFourcc('Z', 'Y', '1', '6'), 800},
    };
    for (const Case& c : cases) {
        ComPtr<IBaseFilter> camera;
        ASSERT_EQ(S_OK, CreateCamera(c.kind, &camera));
        ASSERT_EQ(S_OK, UseFormat(camera.Get(), c.fourcc, c.width)) << c.fourcc;
        GrabberGraph graph;
        ASSERT_EQ(S_OK, graph.Build(camera.Get(), false));
        const zkvsim::StreamFormat format = ConnectedFormat(graph, camera.Get());
        ASSERT_EQ(c.fourcc, format.fourcc);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.WaitFrames(3, 5000)) << c.fourcc;
        graph.Stop();
        const std::vector<CapturedFrame> frames = graph.Frames();
        const zkvsim::FrameFormat* ff = zkvsim::FindFrameFormat(c.fourcc);
        std::vector<std::uint8_t> want(zkvsim::FrameBytes(*ff, format.width, format.height));
        ComPtr<IZKVVirtualCameraControl> control;
        camera->QueryInterface(IID_IZKVVirtualCameraControl, control.Out());
        ULONG tileMapping = 0;
        control->PeekRegister(0x1040, &tileMapping);
        const zkvsim::BayerTile tiles[] = {zkvsim::BayerTile::RGGB, zkvsim::BayerTile::BGGR};
        const zkvsim::BayerTile tile = tileMapping == 0x52474742u ? tiles[0] : tiles[1];
        for (std::size_t i = 0; i < frames.size(); ++i) {
            ASSERT_GE(frames[i].frame, 0);
            ASSERT_EQ(want.size(), zkvsim::PackFrame(format, tile, frames[i].frame, want.data(), want.size()));
            EXPECT_TRUE(frames[i].bytes == want) << "frame " << frames[i].frame << " of " << c.fourcc;
            if (i > 0) {
                EXPECT_GT(frames[i].frame, frames[i - 1].frame);
                EXPECT_GT(frames[i].start, frames[i - 1].start);
            }
        }
    }
}

TEST_F(StreamingTest, FramesBehindTheCodecMatchTheScene) {
    if (!CodecInstalled(zkvsim::MakeFourcc('Y', '8', '0', '0'))) GTEST_SKIP() << "the codec is not installed";
    struct Case {
        const wchar_t* kind;
        std::uint32_t fourcc;
        bool mono;
        int tolerance;
        std::uint32_t width = 640;
        std::uint32_t height = 480;
    };
    const Case cases[] = {
        {L"mono", zkvsim::MakeFourcc('Y', '8', '0', '0'), true, 0},
        {L"mono", zkvsim::MakeFourcc('Z', 'K', 'V', 'Y'), true, 0},
        {L"mono", zkvsim::MakeFourcc('Z', 'Y', '1', '6'), true, 0},
        {L"yuv", zkvsim::MakeFourcc('Z', 'Y', '4', '4'), false, 3, 160, 120},
        {L"yuv", zkvsim::MakeFourcc('Z', 'Y', '4', '1'), false, 3},
        {L"bayer", zkvsim::MakeFourcc('R', 'G', 'B', '1'), false, 0},
        {L"bayer", zkvsim::MakeFourcc('R', 'G', 'B', '2'), false, 0},
        {L"bayer", zkvsim::MakeFourcc('R', 'G', 'B', '3'), false, 0},
        {L"bayer-grbg", zkvsim::MakeFourcc('G', 'R', 'B', '1'), false, 0},
        {L"bayer-grbg", zkvsim::MakeFourcc('G', 'R', 'B', '2'), false, 0},
        {L"bayer-grbg", zkvsim::MakeFourcc('G', 'R', 'B', '3'), false, 0},
        {L"bayer-gbrg", zkvsim::MakeFourcc('G', 'B', 'R', '1'), false, 0},
        {L"bayer-gbrg", zkvsim::MakeFourcc('G', 'B', 'R', '2'), false, 0},
        {L"bayer-gbrg", zkvsim::MakeFourcc('G', 'B', 'R', '3'), false, 0},
        {L"bayer-bggr", zkvsim::MakeFourcc('B', 'G', 'R', '1'), false, 0},
        {L"bayer-bggr", zkvsim::MakeFourcc('B', 'G', 'R', '2'), false, 0},
        {L"bayer-bggr", zkvsim::MakeFourcc('B', 'G', 'R', '3'), false, 0},
    };
    for (const Case& c : cases) {
        ComPtr<IBaseFilter> camera;
        ASSERT_EQ(S_OK, CreateCamera(c.kind, &camera));
        ASSERT_EQ(S_OK, UseFormat(camera.Get(), c.fourcc, c.width));
        GrabberGraph graph;
        ASSERT_EQ(S_OK, graph.Build(camera.Get(), true)) << c.fourcc;
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.WaitFrames(2, 5000)) << c.fourcc;
        graph.Stop();
        char what[8] = {};
        for (int i = 0; i < 4; ++i) what[i] = static_cast<char>(c.fourcc >> (8 * i));
        ExpectBars(graph.Frames()[1], c.width, c.height, c.mono, c.tolerance, what);
    }
    // A sensor read with the wrong tile swaps red and blue.
    ComPtr<IBaseFilter> camera;
    ASSERT_EQ(S_OK, CreateCamera(L"bayer", &camera));
    ASSERT_EQ(S_OK, UseFormat(camera.Get(), zkvsim::MakeFourcc('B', 'G', 'R', '1'), 640));
    GrabberGraph graph;
    ASSERT_EQ(S_OK, graph.Build(camera.Get(), true));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.WaitFrames(1, 5000));
    graph.Stop();
    const CapturedFrame frame = graph.Frames()[0];
    const std::uint8_t* red = &frame.bytes[4 * ((479 - 100) * 640 + 5 * 80 + 40)];  // the red bar
    EXPECT_EQ(255, red[0]);  // blue
    EXPECT_EQ(0, red[2]);    // red
}

TEST_F(StreamingTest, Format7RegionsDecodeToTheirPartOfTheSensor) {
    if (!CodecInstalled(zkvsim::MakeFourcc('Y', '8', '0', '0'))) GTEST_SKIP() << "the codec is not installed";
    ComPtr<IBaseFilter> camera;
    ASSERT_EQ(S_OK, CreateCamera(L"bayer", &camera));
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(camera.Get());
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(S_OK, pin->QueryInterface(IID_IAMStreamConfig, config.Out()));
    // As the streaming page applies a region: both rectangles and the size.
    AM_MEDIA_TYPE* mt = StreamCapsType(config.Get(), zkvsim::MakeFourcc('Y', '8', '0', '0'), 0, true);
    ASSERT_NE(nullptr, mt);
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
    const LONG left = 96, top = 40, width = 320, height = 240;
    SetRect(&vih->rcSource, left, top, left + width, top + height);
    vih->rcTarget = vih->rcSource;
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    ASSERT_EQ(S_OK, config->SetFormat(mt));
    DeleteMediaType(mt);
    GrabberGraph graph;
    ASSERT_EQ(S_OK, graph.Build(camera.Get(), true));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.WaitFrames(1, 5000));
    graph.Stop();
    const CapturedFrame frame = graph.Frames()[0];
    ASSERT_EQ(4u * width * height, frame.bytes.size());
    for (LONG y = 0; y < height; y += 9) {
        for (LONG x = 0; x < width; x += 7) {
            const zkvsim::Rgb c = zkvsim::SceneColor(left + x, top + y, 1024, 768, 0);
            if (!zkvsim::IsBarRow(top + y, 768)) continue;
            const std::uint8_t grey = static_cast<std::uint8_t>(zkvsim::Luma16(c) >> 8);
            ASSERT_EQ(grey, frame.bytes[4 * ((height - 1 - y) * width + x)]) << x << "," << y;
        }
    }
}

// Frames that this process's virtual camera `camera` delivered downstream.
static LONG DeliveredFrames(IBaseFilter* camera) {
    ComPtr<IZKVVirtualCameraControl> control;
    ULONG serial = 0;
    if (FAILED(camera->QueryInterface(IID_IZKVVirtualCameraControl, control.Out())) ||
        FAILED(control->PeekRegister(zkvsim::kRegSerialNumber, &serial)))
        return -1;
    wchar_t name[64];
    ZKVFrameCountersName(GetCurrentProcessId(), name);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (!mapping) return 0;
    LONG delivered = 0;
    if (auto* counters = static_cast<const ZKVFrameCounters*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
        for (const ZKVFrameCounterEntry& entry : counters->cameras) {
            if (static_cast<ULONG>(entry.serialNumber) == serial) delivered = entry.delivered;
        }
        UnmapViewOfFile(counters);
    }
    CloseHandle(mapping);
    return delivered;
}

// Waits until the camera delivered `frames` more frames than when called.
static bool WaitDelivered(IBaseFilter* camera, LONG frames, DWORD timeoutMs) {
    const LONG base = DeliveredFrames(camera);
    const DWORD start = GetTickCount();
    while (DeliveredFrames(camera) - base < frames) {
        if (base < 0 || GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

TEST_F(StreamingTest, EachDeviceRendersToTheVideoRendererThroughTheCodec) {
    if (!CodecInstalled(zkvsim::MakeFourcc('Y', '8', '0', '0'))) GTEST_SKIP() << "the codec is not installed";
    for (std::size_t n = 0; n < 3; ++n) {
        ComPtr<IBaseFilter> camera;
        ASSERT_EQ(S_OK, BindDevice(n, &camera));
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.Out()));
        ComPtr<ICaptureGraphBuilder2> builder;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_ICaptureGraphBuilder2, builder.Out()));
        builder->SetFiltergraph(graph.Get());
        ASSERT_EQ(S_OK, graph->AddFilter(camera.Get(), L"Camera"));
        ASSERT_EQ(S_OK, builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera.Get(), nullptr, nullptr))
            << "device " << n;
        // The decompressor of the graph is the system's wrapper around the codec.
        ComPtr<IBaseFilter> decompressor;
        EXPECT_EQ(S_OK, builder->FindInterface(&LOOK_DOWNSTREAM_ONLY, nullptr, camera.Get(), IID_IBaseFilter,
                                               decompressor.Out()));
        ComPtr<IMediaControl> control;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.Out()));
        ComPtr<IMediaEvent> events;
        ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaEvent, events.Out()));
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        OAFilterState state = State_Stopped;
        control->GetState(2000, &state);
        EXPECT_EQ(State_Running, state);
        // An abort would come with the first frames: wait until some reached the renderer.
        EXPECT_TRUE(WaitDelivered(camera.Get(), 5, 20000))
            << "device " << n << ": " << DeliveredFrames(camera.Get()) << " frames delivered";
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
            EXPECT_NE(EC_ERRORABORT, code) << "device " << n << " hr " << std::hex << p1;
            events->FreeEventParams(code, p1, p2);
        }
        control->Stop();
    }
}

TEST_F(StreamingTest, TwoDevicesStreamAtOnce) {
    ComPtr<IBaseFilter> first, second;
    ASSERT_EQ(S_OK, BindDevice(0, &first));
    ASSERT_EQ(S_OK, BindDevice(2, &second));
    GrabberGraph a, b;
    ASSERT_EQ(S_OK, a.Build(first.Get(), false));
    ASSERT_EQ(S_OK, b.Build(second.Get(), false));
    ASSERT_TRUE(SUCCEEDED(a.Run()));
    ASSERT_TRUE(SUCCEEDED(b.Run()));
    EXPECT_TRUE(a.WaitFrames(4, 5000));
    EXPECT_TRUE(b.WaitFrames(4, 5000));
    a.Stop();
    b.Stop();
}
