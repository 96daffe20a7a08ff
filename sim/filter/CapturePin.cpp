#include "CapturePin.h"

#include "FrameCounters.h"

#include <new>

#include "CaptureFilter.h"
#include "Enumerators.h"
#include "FramePacker.h"
#include "MediaTypes.h"
#include "ZKVPluginClasses.h"

namespace zkvfilter {
namespace {

// Samples are stamped a little ahead of the stream time at which they are
// captured, so that the decompressor's work does not make them arrive late
// at the renderer (which would drop them).
constexpr REFERENCE_TIME kStampLatency = 500000;  // 50 ms
constexpr DWORD kIdlePollMs = 5;

bool SameStream(const zkvsim::StreamFormat& a, const zkvsim::StreamFormat& b) {
    return a.fourcc == b.fourcc && a.width == b.width && a.height == b.height && a.format7 == b.format7 &&
           (!a.format7 || (a.left == b.left && a.top == b.top));
}

bool IsFullySpecified(const AM_MEDIA_TYPE* mt) {
    return mt && mt->majortype != GUID_NULL && mt->subtype != GUID_NULL && mt->formattype != GUID_NULL &&
           mt->pbFormat;
}

// A partial media type that the given complete one satisfies.
bool Matches(const AM_MEDIA_TYPE* partial, const AM_MEDIA_TYPE& mt) {
    if (!partial) return true;
    if (partial->majortype != GUID_NULL && partial->majortype != mt.majortype) return false;
    if (partial->subtype != GUID_NULL && partial->subtype != mt.subtype) return false;
    if (partial->formattype != GUID_NULL && partial->formattype != mt.formattype) return false;
    return true;
}

}  // namespace

CapturePin::CapturePin(CaptureFilter* filter) : m_filter(filter) {}

CapturePin::~CapturePin() {
    Deactivate();
    ReleaseConnection();
}

STDMETHODIMP CapturePin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *object = static_cast<IPin*>(this);
    } else if (riid == IID_IAMStreamConfig) {
        if (m_filter->Device().IsWithheld(zkvsim::kWithholdStreamConfig)) return E_NOINTERFACE;
        *object = static_cast<IAMStreamConfig*>(this);
    } else if (riid == IID_IKsPropertySet) {
        *object = static_cast<IKsPropertySet*>(this);
    } else if (riid == IID_ISpecifyPropertyPages) {
        *object = static_cast<ISpecifyPropertyPages*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CapturePin::AddRef() { return static_cast<IBaseFilter*>(m_filter)->AddRef(); }
STDMETHODIMP_(ULONG) CapturePin::Release() { return static_cast<IBaseFilter*>(m_filter)->Release(); }

HRESULT CapturePin::DecideAllocator(IMemInputPin* input, std::uint32_t frameBytes, IMemAllocator** allocator) {
    ALLOCATOR_PROPERTIES request = {};
    input->GetAllocatorRequirements(&request);  // E_NOTIMPL is common
    ALLOCATOR_PROPERTIES props = {};
    const LONG buffers = static_cast<LONG>(m_filter->Device().BufferCount());
    props.cBuffers = request.cBuffers > buffers ? request.cBuffers : buffers;
    props.cbBuffer = request.cbBuffer > static_cast<LONG>(frameBytes) ? request.cbBuffer : static_cast<LONG>(frameBytes);
    props.cbAlign = request.cbAlign > 0 ? request.cbAlign : 1;
    props.cbPrefix = request.cbPrefix;

    // A fresh memory allocator of our own first, as a capture driver's buffers
    // are its own; the downstream pin's allocator when that is refused.
    for (int attempt = 0; attempt < 2; ++attempt) {
        IMemAllocator* a = nullptr;
        HRESULT hr = attempt == 1 ? input->GetAllocator(&a)
                                  : CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                                     IID_IMemAllocator, reinterpret_cast<void**>(&a));
        if (FAILED(hr) || !a) continue;
        ALLOCATOR_PROPERTIES actual = {};
        hr = a->SetProperties(&props, &actual);
        if (SUCCEEDED(hr) && actual.cbBuffer >= static_cast<LONG>(frameBytes)) hr = input->NotifyAllocator(a, FALSE);
        else if (SUCCEEDED(hr)) hr = VFW_E_SIZENOTSET;
        if (SUCCEEDED(hr)) {
            *allocator = a;
            return S_OK;
        }
        a->Release();
    }
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP CapturePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    const HRESULT fault = m_filter->Device().Fault(zkvsim::kFaultPinConnect, zkvsim::kAnyKey);
    if (FAILED(fault)) return fault;
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    HRESULT hr = S_OK;
    zkvsim::VirtualDevice& device = m_filter->Device();
    zkvsim::StreamFormat format = device.CurrentStreamFormat();
    AM_MEDIA_TYPE offered = {};
    IMemInputPin* input = nullptr;
    IMemAllocator* allocator = nullptr;
    const zkvsim::StreamFormat previous = format;
    if (m_connected) {
        hr = VFW_E_ALREADY_CONNECTED;
    } else if (m_filter->State() != State_Stopped) {
        hr = VFW_E_NOT_STOPPED;
    } else if (IsFullySpecified(mt)) {
        // A complete type from the graph: the camera switches to it if it can.
        if (!StreamFormatFromMediaType(mt, &format) || FAILED(device.ApplyStreamFormat(format))) {
            hr = VFW_E_TYPE_NOT_ACCEPTED;
        } else {
            format = device.CurrentStreamFormat();
        }
    }
    if (SUCCEEDED(hr)) hr = FillMediaType(format, &offered);
    if (SUCCEEDED(hr) && !Matches(mt, offered)) hr = VFW_E_NO_ACCEPTABLE_TYPES;
    if (SUCCEEDED(hr)) {
        hr = receivePin->ReceiveConnection(static_cast<IPin*>(this), &offered);
        if (FAILED(hr)) hr = VFW_E_NO_ACCEPTABLE_TYPES;
    }
    if (SUCCEEDED(hr)) {
        hr = receivePin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
        if (SUCCEEDED(hr)) hr = DecideAllocator(input, offered.lSampleSize, &allocator);
        if (FAILED(hr)) {
            receivePin->Disconnect();
            if (input) input->Release();
            input = nullptr;
        }
    }
    if (SUCCEEDED(hr)) {
        m_connected = receivePin;
        m_connected->AddRef();
        m_input = input;
        m_allocator = allocator;
        m_mt = offered;
        m_format = format;
    } else {
        FreeMediaTypeContents(offered);
        if (IsFullySpecified(mt)) device.ApplyStreamFormat(previous);
    }
    LeaveCriticalSection(lock);
    return hr;
}

STDMETHODIMP CapturePin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return VFW_E_INVALID_DIRECTION; }

void CapturePin::ReleaseConnection() {
    if (m_allocator) m_allocator->Release();
    if (m_input) m_input->Release();
    if (m_connected) m_connected->Release();
    m_allocator = nullptr;
    m_input = nullptr;
    m_connected = nullptr;
    FreeMediaTypeContents(m_mt);
    m_mt = {};
}

STDMETHODIMP CapturePin::Disconnect() {
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    HRESULT hr = S_OK;
    if (m_filter->State() != State_Stopped) {
        hr = VFW_E_NOT_STOPPED;
    } else if (!m_connected) {
        hr = S_FALSE;
    } else {
        ReleaseConnection();
    }
    LeaveCriticalSection(lock);
    return hr;
}

STDMETHODIMP CapturePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    *pin = m_connected;
    if (m_connected) m_connected->AddRef();
    LeaveCriticalSection(lock);
    return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP CapturePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    HRESULT hr = VFW_E_NOT_CONNECTED;
    if (m_connected) {
        hr = CopyMediaTypeContents(mt, m_mt);
    } else {
        *mt = {};
    }
    LeaveCriticalSection(lock);
    return hr;
}

STDMETHODIMP CapturePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = static_cast<IBaseFilter*>(m_filter);
    info->pFilter->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, L"Capture", MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP CapturePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP CapturePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    static const WCHAR name[] = L"Capture";
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof name));
    if (!*id) return E_OUTOFMEMORY;
    lstrcpyW(*id, name);
    return S_OK;
}

STDMETHODIMP CapturePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    zkvsim::StreamFormat format;
    if (!StreamFormatFromMediaType(mt, &format)) return S_FALSE;
    return SUCCEEDED(m_filter->Device().CheckStreamFormat(format)) ? S_OK : S_FALSE;
}

STDMETHODIMP CapturePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    // The pin connects in the camera's current format only.
    AM_MEDIA_TYPE mt = {};
    HRESULT hr = FillMediaType(m_filter->Device().CurrentStreamFormat(), &mt);
    if (FAILED(hr)) return hr;
    hr = CreateMediaTypeEnumerator(mt, types);
    FreeMediaTypeContents(mt);
    return hr;
}

STDMETHODIMP CapturePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
STDMETHODIMP CapturePin::EndOfStream() { return E_UNEXPECTED; }
STDMETHODIMP CapturePin::BeginFlush() { return E_UNEXPECTED; }
STDMETHODIMP CapturePin::EndFlush() { return E_UNEXPECTED; }
STDMETHODIMP CapturePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

STDMETHODIMP CapturePin::SetFormat(AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    zkvsim::VirtualDevice& device = m_filter->Device();
    zkvsim::StreamFormat format;
    if (!StreamFormatFromMediaType(mt, &format)) return VFW_E_INVALIDMEDIATYPE;
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    if (!m_connected) {
        const HRESULT hr = device.SetStreamFormat(format);
        LeaveCriticalSection(lock);
        return hr;
    }
    HRESULT hr = device.Fault(zkvsim::kFaultStreamSetFormat, zkvsim::kAnyKey);
    if (SUCCEEDED(hr)) hr = device.CheckStreamFormat(format);
    if (SUCCEEDED(hr) && SameStream(format, m_format)) {
        // Only the frame rate can differ: that takes effect while streaming.
        hr = device.ApplyStreamFormat(format);
        LeaveCriticalSection(lock);
        return hr;
    }
    if (SUCCEEDED(hr) && m_filter->State() != State_Stopped) hr = VFW_E_NOT_STOPPED;
    AM_MEDIA_TYPE next = {};
    if (SUCCEEDED(hr)) hr = FillMediaType(format, &next);
    if (SUCCEEDED(hr) && m_connected->QueryAccept(&next) != S_OK) hr = VFW_E_INVALIDMEDIATYPE;
    const zkvsim::StreamFormat previous = device.CurrentStreamFormat();
    if (SUCCEEDED(hr)) hr = device.ApplyStreamFormat(format);
    IFilterGraph* graph = m_filter->Graph();
    if (graph) graph->AddRef();
    LeaveCriticalSection(lock);

    // Reconnect through the graph, which disconnects both pins and connects
    // them again in the camera's new format.
    if (SUCCEEDED(hr)) {
        IFilterGraph2* graph2 = nullptr;
        if (graph && SUCCEEDED(graph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2)))) {
            hr = graph2->ReconnectEx(static_cast<IPin*>(this), &next);
            graph2->Release();
        } else {
            hr = graph ? graph->Reconnect(static_cast<IPin*>(this)) : VFW_E_NOT_IN_GRAPH;
        }
        if (FAILED(hr)) device.ApplyStreamFormat(previous);
    }
    if (graph) graph->Release();
    FreeMediaTypeContents(next);
    return hr;
}

STDMETHODIMP CapturePin::GetFormat(AM_MEDIA_TYPE** mt) {
    if (!mt) return E_POINTER;
    *mt = nullptr;
    zkvsim::VirtualDevice& device = m_filter->Device();
    HRESULT hr = device.Fault(zkvsim::kFaultStreamGetFormat, zkvsim::kAnyKey);
    if (FAILED(hr)) return hr;
    CRITICAL_SECTION* lock = m_filter->Lock();
    EnterCriticalSection(lock);
    if (m_connected) {
        auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        hr = copy ? CopyMediaTypeContents(copy, m_mt) : E_OUTOFMEMORY;
        if (FAILED(hr) && copy) CoTaskMemFree(copy);
        if (SUCCEEDED(hr)) *mt = copy;
    } else {
        *mt = CreateMediaType(device.CurrentStreamFormat());
        hr = *mt ? S_OK : E_OUTOFMEMORY;
    }
    LeaveCriticalSection(lock);
    return hr;
}

STDMETHODIMP CapturePin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return E_POINTER;
    std::uint32_t n = 0;
    const HRESULT hr = m_filter->Device().GetNumberOfCapabilities(&n);
    if (FAILED(hr)) return hr;
    *count = static_cast<int>(n);
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP CapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
    if (!mt || !caps) return E_POINTER;
    *mt = nullptr;
    if (index < 0) return E_INVALIDARG;
    zkvsim::StreamCapability cap;
    const HRESULT hr = m_filter->Device().GetStreamCapability(static_cast<std::uint32_t>(index), &cap);
    if (hr != S_OK) return hr;
    *mt = CreateMediaType(cap.format);
    if (!*mt) return E_OUTOFMEMORY;
    FillStreamCaps(cap, reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps));
    return S_OK;
}

STDMETHODIMP CapturePin::Set(REFGUID set, DWORD, void*, DWORD, void*, DWORD) {
    return set == AMPROPSETID_Pin ? E_PROP_ID_UNSUPPORTED : E_PROP_SET_UNSUPPORTED;
}

STDMETHODIMP CapturePin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize, DWORD* returned) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (!data) return E_POINTER;
    if (dataSize < sizeof(GUID)) return E_UNEXPECTED;
    *static_cast<GUID*>(data) = PIN_CATEGORY_CAPTURE;
    if (returned) *returned = sizeof(GUID);
    return S_OK;
}

STDMETHODIMP CapturePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

STDMETHODIMP CapturePin::GetPages(CAUUID* pages) { return PropertyPagesOf(CLSID_ZKVStreamingConfigPage, pages); }

HRESULT CapturePin::Activate() {
    if (!m_connected || m_thread) return S_OK;
    HRESULT hr = m_allocator->Commit();
    if (FAILED(hr)) return hr;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = m_stop ? CreateThread(nullptr, 0, StreamThread, this, 0, nullptr) : nullptr;
    if (!m_thread) {
        if (m_stop) CloseHandle(m_stop);
        m_stop = nullptr;
        m_allocator->Decommit();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CapturePin::Started() { InterlockedExchange(&m_restart, 1); }

void CapturePin::Deactivate() {
    if (!m_thread) return;
    SetEvent(m_stop);
    m_allocator->Decommit();  // releases a thread waiting for a buffer
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_stop);
    m_thread = nullptr;
    m_stop = nullptr;
}

DWORD WINAPI CapturePin::StreamThread(void* pin) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<CapturePin*>(pin)->StreamLoop();
    if (SUCCEEDED(init)) CoUninitialize();
    return 0;
}

void CapturePin::StreamLoop() {
    std::uint64_t frame = 0;
    REFERENCE_TIME next = 0;
    bool discontinuity = true;
    LARGE_INTEGER frequency, origin;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&origin);
    std::uint32_t serial = 0;
    m_filter->Device().PeekRegister(zkvsim::kRegSerialNumber, &serial);
    while (WaitForSingleObject(m_stop, 0) == WAIT_TIMEOUT) {
        if (m_filter->State() != State_Running) {
            WaitForSingleObject(m_stop, kIdlePollMs);
            continue;
        }
        if (InterlockedExchange(&m_restart, 0)) {
            next = 0;
            discontinuity = true;
            QueryPerformanceCounter(&origin);
        }
        REFERENCE_TIME now = 0;
        if (!m_filter->StreamTime(&now)) {
            // No graph clock: pace by the performance counter from the start.
            LARGE_INTEGER t;
            QueryPerformanceCounter(&t);
            now = static_cast<REFERENCE_TIME>((t.QuadPart - origin.QuadPart) * 10000000.0 / frequency.QuadPart);
        }
        if (now < next) {
            const REFERENCE_TIME waitMs = (next - now) / 10000 + 1;
            WaitForSingleObject(m_stop, static_cast<DWORD>(waitMs > 100 ? 100 : waitMs));
            continue;
        }
        const REFERENCE_TIME interval = m_filter->Device().FrameInterval();
        if (!DeliverFrame(frame, (now < 0 ? 0 : now) + kStampLatency, interval, discontinuity)) break;
        discontinuity = false;
        ++frame;
        next += interval;
        LONG dropped = 0;
        if (next < now) {  // fell behind: do not deliver a burst
            dropped = interval > 0 ? static_cast<LONG>((now - next) / interval) : 0;
            next = now;
        }
        CountFrames(serial, 1, dropped);
    }
}

bool CapturePin::DeliverFrame(std::uint64_t frame, REFERENCE_TIME start, REFERENCE_TIME interval,
                              bool discontinuity) {
    IMediaSample* sample = nullptr;
    if (FAILED(m_allocator->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample) return false;
    BYTE* data = nullptr;
    const long capacity = sample->GetSize();
    std::size_t written = 0;
    if (SUCCEEDED(sample->GetPointer(&data)) && capacity > 0) {
        written = zkvsim::PackFrame(m_format, m_filter->Device().SensorTile(), frame, data,
                                    static_cast<std::size_t>(capacity));
    }
    if (written == 0) {
        sample->Release();
        m_filter->NotifyEvent(EC_ERRORABORT, VFW_E_BUFFER_OVERFLOW, 0);
        return false;
    }
    sample->SetActualDataLength(static_cast<long>(written));
    REFERENCE_TIME end = start + interval;
    sample->SetTime(&start, &end);
    LONGLONG mediaStart = static_cast<LONGLONG>(frame), mediaEnd = mediaStart + 1;
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity ? TRUE : FALSE);
    sample->SetPreroll(FALSE);
    const HRESULT hr = m_input->Receive(sample);
    sample->Release();
    if (FAILED(hr) && WaitForSingleObject(m_stop, 0) == WAIT_TIMEOUT && m_filter->State() == State_Running) {
        m_filter->NotifyEvent(EC_ERRORABORT, hr, 0);
        return false;
    }
    return true;
}

}  // namespace zkvfilter
