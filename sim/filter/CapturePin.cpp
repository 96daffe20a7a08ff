#include "CapturePin.h"

#include "FrameCounters.h"

#include <new>

#include "CaptureFilter.h"
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

}  // namespace

CapturePin::CapturePin(CaptureFilter* filter)
    : CBaseOutputPin(TEXT("Virtual Camera Capture Pin"), filter, filter->Lock(), nullptr, L"Capture"),
      m_filter(filter) {}

CapturePin::~CapturePin() { Inactive(); }

STDMETHODIMP CapturePin::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IAMStreamConfig) {
        if (m_filter->Device().IsWithheld(zkvsim::kWithholdStreamConfig)) return E_NOINTERFACE;
        return GetInterface(static_cast<IAMStreamConfig*>(this), object);
    }
    if (riid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), object);
    if (riid == IID_ISpecifyPropertyPages) return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    if (riid == IID_IAMDroppedFrames) return GetInterface(static_cast<IAMDroppedFrames*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, object);
}

HRESULT CapturePin::DecideAllocator(IMemInputPin* input, IMemAllocator** allocator) {
    const LONG frameBytes = static_cast<LONG>(m_mt.lSampleSize);
    ALLOCATOR_PROPERTIES request = {};
    input->GetAllocatorRequirements(&request);  // E_NOTIMPL is common
    ALLOCATOR_PROPERTIES props = {};
    const LONG buffers = static_cast<LONG>(m_filter->Device().BufferCount());
    props.cBuffers = request.cBuffers > buffers ? request.cBuffers : buffers;
    props.cbBuffer = request.cbBuffer > frameBytes ? request.cbBuffer : frameBytes;
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
        if (SUCCEEDED(hr) && actual.cbBuffer >= frameBytes) hr = input->NotifyAllocator(a, FALSE);
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
    return CBaseOutputPin::Connect(receivePin, mt);
}

HRESULT CapturePin::AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    zkvsim::VirtualDevice& device = m_filter->Device();
    const zkvsim::StreamFormat previous = device.CurrentStreamFormat();
    const bool requested = IsFullySpecified(mt);
    HRESULT hr = S_OK;
    if (requested) {
        // A complete type from the graph: the camera switches to it if it can.
        zkvsim::StreamFormat format;
        if (!StreamFormatFromMediaType(mt, &format) || FAILED(device.ApplyStreamFormat(format))) {
            hr = VFW_E_TYPE_NOT_ACCEPTED;
        }
    }
    if (SUCCEEDED(hr)) hr = CBaseOutputPin::AgreeMediaType(receivePin, mt);
    if (SUCCEEDED(hr)) {
        m_format = device.CurrentStreamFormat();
    } else if (requested) {
        device.ApplyStreamFormat(previous);
    }
    return hr;
}

HRESULT CapturePin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
    if (position < 0) return E_INVALIDARG;
    // The pin connects in the camera's current format only.
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return FillMediaType(m_filter->Device().CurrentStreamFormat(), mt);
}

HRESULT CapturePin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
    zkvsim::StreamFormat format;
    if (!StreamFormatFromMediaType(mt, &format)) return S_FALSE;
    return SUCCEEDED(m_filter->Device().CheckStreamFormat(format)) ? S_OK : S_FALSE;
}

STDMETHODIMP CapturePin::SetFormat(AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    zkvsim::VirtualDevice& device = m_filter->Device();
    zkvsim::StreamFormat format;
    if (!StreamFormatFromMediaType(mt, &format)) return VFW_E_INVALIDMEDIATYPE;
    m_filter->Lock()->Lock();
    if (!m_Connected) {
        const HRESULT hr = device.SetStreamFormat(format);
        m_filter->Lock()->Unlock();
        return hr;
    }
    HRESULT hr = device.Fault(zkvsim::kFaultStreamSetFormat, zkvsim::kAnyKey);
    if (SUCCEEDED(hr)) hr = device.CheckStreamFormat(format);
    if (SUCCEEDED(hr) && SameStream(format, m_format)) {
        // Only the frame rate can differ: that takes effect while streaming.
        hr = device.ApplyStreamFormat(format);
        m_filter->Lock()->Unlock();
        return hr;
    }
    if (SUCCEEDED(hr) && !IsStopped()) hr = VFW_E_NOT_STOPPED;
    AM_MEDIA_TYPE next = {};
    if (SUCCEEDED(hr)) hr = FillMediaType(format, &next);
    if (SUCCEEDED(hr) && m_Connected->QueryAccept(&next) != S_OK) hr = VFW_E_INVALIDMEDIATYPE;
    const zkvsim::StreamFormat previous = device.CurrentStreamFormat();
    if (SUCCEEDED(hr)) hr = device.ApplyStreamFormat(format);
    ComPtr<IFilterGraph> graph;
    if (m_filter->GetFilterGraph()) m_filter->GetFilterGraph()->QueryInterface(IID_IFilterGraph, graph.Out());
    m_filter->Lock()->Unlock();

    // Reconnect through the graph, which disconnects both pins and connects
    // them again in the camera's new format.
    if (SUCCEEDED(hr)) {
        ComPtr<IFilterGraph2> graph2;
        if (graph && SUCCEEDED(graph->QueryInterface(IID_IFilterGraph2, graph2.Out()))) {
            hr = graph2->ReconnectEx(static_cast<IPin*>(this), &next);
        } else {
            hr = graph ? graph->Reconnect(static_cast<IPin*>(this)) : VFW_E_NOT_IN_GRAPH;
        }
        if (FAILED(hr)) device.ApplyStreamFormat(previous);
    }
    FreeMediaType(next);
    return hr;
}

STDMETHODIMP CapturePin::GetFormat(AM_MEDIA_TYPE** mt) {
    if (!mt) return E_POINTER;
    *mt = nullptr;
    zkvsim::VirtualDevice& device = m_filter->Device();
    HRESULT hr = device.Fault(zkvsim::kFaultStreamGetFormat, zkvsim::kAnyKey);
    if (FAILED(hr)) return hr;
    CAutoLock lock(m_filter->Lock());
    *mt = m_Connected ? CreateMediaType(&m_mt) : NewMediaType(device.CurrentStreamFormat());
    return *mt ? S_OK : E_OUTOFMEMORY;
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
    *mt = NewMediaType(cap.format);
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

STDMETHODIMP CapturePin::GetNumDropped(long* dropped) {
    if (!dropped) return E_POINTER;
    std::uint64_t delivered = 0, lost = 0;
    m_filter->Device().FrameCounts(&delivered, &lost);
    *dropped = static_cast<long>(lost);
    return S_OK;
}

STDMETHODIMP CapturePin::GetNumNotDropped(long* notDropped) {
    if (!notDropped) return E_POINTER;
    std::uint64_t delivered = 0, lost = 0;
    m_filter->Device().FrameCounts(&delivered, &lost);
    *notDropped = static_cast<long>(delivered);
    return S_OK;
}

STDMETHODIMP CapturePin::GetDroppedInfo(long size, long* frames, long* copied) {
    if (!frames || !copied) return E_POINTER;
    if (size < 0) return E_INVALIDARG;
    // The most recent drops that the camera remembers, oldest first.
    const std::vector<std::uint64_t> numbers = m_filter->Device().DroppedFrameNumbers();
    long n = 0;
    for (; n < size && static_cast<std::size_t>(n) < numbers.size(); ++n) frames[n] = static_cast<long>(numbers[n]);
    *copied = n;
    return S_OK;
}

STDMETHODIMP CapturePin::GetAverageFrameSize(long* averageSize) {
    if (!averageSize) return E_POINTER;
    std::uint64_t delivered = 0, lost = 0;
    m_filter->Device().FrameCounts(&delivered, &lost);
    *averageSize = delivered ? static_cast<long>(m_deliveredBytes.load() / delivered) : 0;
    return S_OK;
}

HRESULT CapturePin::Active() {
    if (!m_Connected || m_thread) return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    // The counts of IAMDroppedFrames start over with each stream.
    m_filter->Device().ResetFrameCounts();
    m_deliveredBytes = 0;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = m_stop ? CreateThread(nullptr, 0, StreamThread, this, 0, nullptr) : nullptr;
    if (!m_thread) {
        if (m_stop) CloseHandle(m_stop);
        m_stop = nullptr;
        CBaseOutputPin::Inactive();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CapturePin::Run(REFERENCE_TIME) {
    InterlockedExchange(&m_restart, 1);
    return S_OK;
}

HRESULT CapturePin::Inactive() {
    if (!m_thread) return S_OK;
    SetEvent(m_stop);
    CBaseOutputPin::Inactive();  // releases a thread waiting for a buffer
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_stop);
    m_thread = nullptr;
    m_stop = nullptr;
    return S_OK;
}

DWORD WINAPI CapturePin::StreamThread(void* pin) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<CapturePin*>(pin)->StreamLoop();
    if (SUCCEEDED(init)) CoUninitialize();
    return 0;
}

void CapturePin::StreamLoop() {
    REFERENCE_TIME next = 0;
    bool discontinuity = true;
    LARGE_INTEGER frequency, origin;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&origin);
    zkvsim::VirtualDevice& device = m_filter->Device();
    std::uint32_t serial = 0;
    device.PeekRegister(zkvsim::kRegSerialNumber, &serial);
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
        if (FAILED(m_filter->StreamTime(&now))) {
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
        const REFERENCE_TIME interval = device.FrameInterval();
        if (!TakeFrame(serial, (now < 0 ? 0 : now) + kStampLatency, interval, &discontinuity)) break;
        next += interval;
        if (next < now) {  // fell behind: do not deliver a burst
            const std::uint64_t missed = interval > 0 ? static_cast<std::uint64_t>((now - next) / interval) : 0;
            next = now;
            if (missed) CountFrames(serial, 0, static_cast<LONG>(device.MissFrames(missed)));
        }
    }
}

bool CapturePin::TakeFrame(ULONG serial, REFERENCE_TIME start, REFERENCE_TIME interval, bool* discontinuity) {
    zkvsim::VirtualDevice& device = m_filter->Device();
    std::uint64_t number = 0;
    switch (device.NextFrame(&number)) {
        case zkvsim::FrameDecision::kNone:
            return true;  // neither delivered nor dropped
        case zkvsim::FrameDecision::kDrop:
            CountFrames(serial, 0, 1);
            return true;
        case zkvsim::FrameDecision::kDeliver:
            break;
    }
    const Delivery result = DeliverFrame(number, start, interval, *discontinuity);
    if (result == Delivery::kDelivered) {
        *discontinuity = false;
        // The shared counts and the bytes first: whoever sees the camera's
        // count grow then sees them include the frame.
        CountFrames(serial, 1, 0);
        device.FrameDelivered();
        return true;
    }
    // As a capture driver does: a frame that did not get through is dropped.
    device.LoseFrame(number);
    CountFrames(serial, 0, 1);
    return result == Delivery::kLost;
}

CapturePin::Delivery CapturePin::DeliverFrame(std::uint64_t frame, REFERENCE_TIME start, REFERENCE_TIME interval,
                                              bool discontinuity) {
    IMediaSample* sample = nullptr;
    if (FAILED(m_pAllocator->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample) return Delivery::kEnd;
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
        return Delivery::kEnd;
    }
    sample->SetActualDataLength(static_cast<long>(written));
    REFERENCE_TIME end = start + interval;
    sample->SetTime(&start, &end);
    LONGLONG mediaStart = static_cast<LONGLONG>(frame), mediaEnd = mediaStart + 1;
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity ? TRUE : FALSE);
    sample->SetPreroll(FALSE);
    HRESULT hr = m_filter->Device().Fault(zkvsim::kFaultDeliver, static_cast<std::uint32_t>(frame));
    if (SUCCEEDED(hr)) hr = Deliver(sample);
    sample->Release();
    if (FAILED(hr)) return Delivery::kLost;
    m_deliveredBytes += written;
    return Delivery::kDelivered;
}

}  // namespace zkvfilter
