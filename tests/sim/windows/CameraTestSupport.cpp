#include "CameraTestSupport.h"

#include <qedit.h>
#include <vfw.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"

// Classes of the platform's filters that qedit.h does not declare.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

namespace simtest {

std::vector<Device> VirtualDevices() {
    std::vector<Device> devices;
    ComPtr<ICreateDevEnum> enumerator;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                enumerator.Out()))) {
        return devices;
    }
    ComPtr<IEnumMoniker> monikers;
    if (enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK) return devices;
    for (;;) {
        Device d;
        if (monikers->Next(1, &d.moniker, nullptr) != S_OK) break;
        ComPtr<IPropertyBag> bag;
        if (FAILED(d.moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.Out()))) continue;
        VARIANT clsid, name;
        VariantInit(&clsid);
        VariantInit(&name);
        const bool ours = SUCCEEDED(bag->Read(L"CLSID", &clsid, nullptr)) && clsid.vt == VT_BSTR && [&] {
            CLSID c;
            return SUCCEEDED(CLSIDFromString(clsid.bstrVal, &c)) && c == CLSID_ZkvVirtualCamera;
        }();
        if (ours && SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR) {
            d.friendlyName = name.bstrVal;
            devices.push_back(std::move(d));
        }
        VariantClear(&clsid);
        VariantClear(&name);
    }
    std::sort(devices.begin(), devices.end(),
              [](const Device& a, const Device& b) { return a.friendlyName < b.friendlyName; });
    return devices;
}

HRESULT BindDevice(std::size_t n, IBaseFilter** filter) {
    std::vector<Device> devices = VirtualDevices();
    if (n >= devices.size()) return E_INVALIDARG;
    return devices[n].moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
}

IPin* CapturePinOf(IBaseFilter* filter) {
    IPin* pin = nullptr;
    filter->FindPin(L"Capture", &pin);
    return pin;
}

HRESULT ReadRegister(IBaseFilter* filter, ULONG address, ULONG* value) {
    ComPtr<IKsPropertySet> props;
    HRESULT hr = filter->QueryInterface(IID_IKsPropertySet, props.Out());
    if (FAILED(hr)) return hr;
    RegisterRequest r = {};
    r.address = address;
    DWORD returned = 0;
    hr = props->Get(PROPSETID_ZKV, ZKV_PROPERTY_REGISTER, &r, sizeof r, &r, sizeof r, &returned);
    *value = r.value;
    return hr;
}

HRESULT WriteRegister(IBaseFilter* filter, ULONG address, ULONG value) {
    ComPtr<IKsPropertySet> props;
    HRESULT hr = filter->QueryInterface(IID_IKsPropertySet, props.Out());
    if (FAILED(hr)) return hr;
    RegisterRequest r = {};
    r.address = address;
    r.value = value;
    return props->Set(PROPSETID_ZKV, ZKV_PROPERTY_REGISTER, &r, sizeof r, &r, sizeof r);
}

namespace {

// The Windows form of the directory of the test configuration (ZKV_BIN_DIR).
std::wstring BinDir() {
    const char* dir = std::getenv("ZKV_BIN_DIR");
    std::wstring path = L"Z:";
    for (const char* p = dir ? dir : "."; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

}  // namespace

DWORD RunSetup(const std::wstring& arguments) {
    const std::wstring bin = BinDir();
    std::wstring command = L"\"" + bin + L"\\ZkvCameraSetup.exe\" " + arguments;
    for (std::wstring::size_type at; (at = command.find(L"$AX")) != std::wstring::npos;) {
        command.replace(at, 3, L"\"" + bin + L"\\ZkvVirtualCamera.ax\"");
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 0xFFFFFFFFu;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class FrameCollector final : public ISampleGrabberCB {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
            *object = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
        CapturedFrame f;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        f.bytes.assign(data, data + sample->GetActualDataLength());
        LONGLONG mediaStart = -1, mediaEnd = -1;
        if (FAILED(sample->GetMediaTime(&mediaStart, &mediaEnd))) mediaStart = -1;
        f.frame = mediaStart;
        REFERENCE_TIME start = 0, end = 0;
        f.start = SUCCEEDED(sample->GetTime(&start, &end)) ? start : -1;
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_frames.size() < kKeep) m_frames.push_back(std::move(f));
        return S_OK;
    }
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
    std::vector<CapturedFrame> Frames() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_frames;
    }

private:
    static constexpr std::size_t kKeep = 16;
    std::mutex m_lock;
    std::vector<CapturedFrame> m_frames;
};

GrabberGraph::~GrabberGraph() {
    Stop();
    m_null.Reset();
    m_grabberFilter.Reset();
    m_graph.Reset();
    delete m_collector;
}

HRESULT GrabberGraph::Build(IBaseFilter* camera, bool decoded) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, m_graph.Out());
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, m_grabberFilter.Out());
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, m_null.Out());
    if (FAILED(hr)) return hr;
    ComPtr<ISampleGrabber> grabber;
    hr = m_grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.Out());
    if (FAILED(hr)) return hr;
    AM_MEDIA_TYPE want = {};
    want.majortype = MEDIATYPE_Video;
    if (decoded) want.subtype = MEDIASUBTYPE_RGB32;
    grabber->SetMediaType(&want);
    m_collector = new FrameCollector();
    grabber->SetCallback(m_collector, 0);
    m_graph->AddFilter(camera, L"Camera");
    m_graph->AddFilter(m_grabberFilter.Get(), L"Grabber");
    m_graph->AddFilter(m_null.Get(), L"Null");
    ComPtr<ICaptureGraphBuilder2> builder;
    hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                          builder.Out());
    if (FAILED(hr)) return hr;
    builder->SetFiltergraph(m_graph.Get());
    return builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera, m_grabberFilter.Get(), m_null.Get());
}

HRESULT GrabberGraph::Run() {
    ComPtr<IMediaControl> control;
    HRESULT hr = m_graph->QueryInterface(IID_IMediaControl, control.Out());
    return SUCCEEDED(hr) ? control->Run() : hr;
}

void GrabberGraph::Stop() {
    if (!m_graph) return;
    ComPtr<IMediaControl> control;
    if (SUCCEEDED(m_graph->QueryInterface(IID_IMediaControl, control.Out()))) control->Stop();
}

bool GrabberGraph::WaitFrames(std::size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (m_collector->Frames().size() < count) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::vector<CapturedFrame> GrabberGraph::Frames() { return m_collector->Frames(); }

AM_MEDIA_TYPE GrabberGraph::ConnectedType() {
    AM_MEDIA_TYPE mt = {};
    ComPtr<ISampleGrabber> grabber;
    if (SUCCEEDED(m_grabberFilter->QueryInterface(IID_ISampleGrabber, grabber.Out()))) {
        grabber->GetConnectedMediaType(&mt);
    }
    return mt;
}

AM_MEDIA_TYPE* StreamCapsType(IAMStreamConfig* config, std::uint32_t fourcc, std::uint32_t width, bool format7) {
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size))) return nullptr;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)) != S_OK) continue;
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
        if (vih->bmiHeader.biCompression == fourcc && (format7 || vih->bmiHeader.biWidth == static_cast<LONG>(width)) &&
            (vih->rcSource.bottom != 0) == format7) {
            return mt;
        }
        DeleteMediaType(mt);
    }
    return nullptr;
}

bool CodecInstalled(std::uint32_t fourcc) {
    HIC codec = ICOpen(ICTYPE_VIDEO, fourcc, ICMODE_DECOMPRESS);
    if (!codec) return false;
    ICClose(codec);
    return true;
}

}  // namespace simtest
