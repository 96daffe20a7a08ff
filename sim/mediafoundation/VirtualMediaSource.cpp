#include "VirtualMediaSource.h"

#include <mfapi.h>
#include <mferror.h>

#include <new>
#include <vector>

#include "ComBase.h"
#include "CritSec.h"
#include "FramePacker.h"

namespace {

GUID FourccSubtype(std::uint32_t fourcc) {
    GUID subtype = MFVideoFormat_Base;
    subtype.Data1 = fourcc;
    return subtype;
}

// The media type of one camera format: packed rows, fixed-size frames.
HRESULT CreateCameraType(const zkvsim::FrameFormat& format, std::uint32_t width,
                         std::uint32_t height, IMFMediaType** ppType) {
    IMFMediaType* type = NULL;
    HRESULT hr = MFCreateMediaType(&type);
    if (FAILED(hr)) return hr;
    hr = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    if (SUCCEEDED(hr)) hr = type->SetGUID(MF_MT_SUBTYPE, FourccSubtype(format.fourcc));
    if (SUCCEEDED(hr)) hr = MFSetAttributeSize(type, MF_MT_FRAME_SIZE, width, height);
    if (SUCCEEDED(hr)) hr = MFSetAttributeRatio(type, MF_MT_FRAME_RATE, 30, 1);
    if (SUCCEEDED(hr)) hr = MFSetAttributeRatio(type, MF_MT_PIXEL_ASPECT_RATIO, 1, 1);
    if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE);
    if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_FIXED_SIZE_SAMPLES, TRUE);
    if (SUCCEEDED(hr)) {
        hr = type->SetUINT32(MF_MT_SAMPLE_SIZE,
                             static_cast<UINT32>(zkvsim::FrameBytes(format, width, height)));
    }
    if (SUCCEEDED(hr)) {
        // Rows are packed; a Bayer frame of one row is no frame, so the row
        // length comes from the whole frame.
        hr = type->SetUINT32(MF_MT_DEFAULT_STRIDE,
                             static_cast<UINT32>(zkvsim::FrameBytes(format, width, height) / height));
    }
    if (FAILED(hr)) {
        type->Release();
        return hr;
    }
    *ppType = type;
    return S_OK;
}

class CVirtualMediaSource;

class CVirtualMediaStream final : public CUnknown, public IMFMediaStream {
public:
    CVirtualMediaStream(CVirtualMediaSource* source, IMFStreamDescriptor* descriptor,
                        IMFMediaEventQueue* queue)
        : CUnknown(TEXT("virtual media stream"), NULL), m_pSource(source), m_pDescriptor(descriptor),
          m_pQueue(queue) {
        m_pDescriptor->AddRef();
        m_pQueue->AddRef();
    }

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        CheckPointer(ppv, E_POINTER);
        if (IsEqualIID(riid, IID_IMFMediaStream) || IsEqualIID(riid, IID_IMFMediaEventGenerator)) {
            return GetInterface(static_cast<IMFMediaStream*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP GetEvent(DWORD dwFlags, IMFMediaEvent** ppEvent) override {
        return m_pQueue->GetEvent(dwFlags, ppEvent);
    }
    STDMETHODIMP BeginGetEvent(IMFAsyncCallback* pCallback, IUnknown* punkState) override {
        return m_pQueue->BeginGetEvent(pCallback, punkState);
    }
    STDMETHODIMP EndGetEvent(IMFAsyncResult* pResult, IMFMediaEvent** ppEvent) override {
        return m_pQueue->EndGetEvent(pResult, ppEvent);
    }
    STDMETHODIMP QueueEvent(MediaEventType met, REFGUID guidExtendedType, HRESULT hrStatus,
                            const PROPVARIANT* pvValue) override {
        return m_pQueue->QueueEventParamVar(met, guidExtendedType, hrStatus, pvValue);
    }

    STDMETHODIMP GetMediaSource(IMFMediaSource** ppMediaSource) override;
    STDMETHODIMP GetStreamDescriptor(IMFStreamDescriptor** ppStreamDescriptor) override {
        CheckPointer(ppStreamDescriptor, E_POINTER);
        CAutoLock lock(&m_lock);
        if (!m_pSource) return MF_E_SHUTDOWN;
        return GetInterface(m_pDescriptor, reinterpret_cast<void**>(ppStreamDescriptor));
    }
    STDMETHODIMP RequestSample(IUnknown* pToken) override;

    // From the source: start counting frames, stop, or detach at shutdown.
    void Start(bool restart) {
        CAutoLock lock(&m_lock);
        m_started = true;
        PROPVARIANT empty;
        PropVariantInit(&empty);
        m_pQueue->QueueEventParamVar(MEStreamStarted, GUID_NULL, S_OK, &empty);
        (void)restart;
    }
    void Stop() {
        CAutoLock lock(&m_lock);
        m_started = false;
        m_frame = 0;
        m_pQueue->QueueEventParamVar(MEStreamStopped, GUID_NULL, S_OK, NULL);
    }
    void Detach() {
        CAutoLock lock(&m_lock);
        m_pSource = NULL;
        m_pQueue->Shutdown();
    }

private:
    ~CVirtualMediaStream() override {
        m_pDescriptor->Release();
        m_pQueue->Release();
    }
    HRESULT CreateFrameSample(IMFSample** ppSample);

    CCritSec m_lock;
    CVirtualMediaSource* m_pSource;  // not counted: the source owns the stream
    IMFStreamDescriptor* m_pDescriptor;
    IMFMediaEventQueue* m_pQueue;
    bool m_started = false;
    std::uint64_t m_frame = 0;
};

class CVirtualMediaSource final : public CUnknown, public IMFMediaSource {
public:
    CVirtualMediaSource() : CUnknown(TEXT("virtual media source"), NULL) {}

    HRESULT Initialize(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height) {
        const zkvsim::FrameFormat* chosen = zkvsim::FindFrameFormat(fourcc);
        if (!chosen || fourcc == 0 || zkvsim::FrameBytes(*chosen, width, height) == 0) {
            return MF_E_INVALIDMEDIATYPE;
        }
        std::vector<IMFMediaType*> types;
        IMFMediaType* type = NULL;
        HRESULT hr = CreateCameraType(*chosen, width, height, &type);
        if (SUCCEEDED(hr)) types.push_back(type);
        IMFStreamDescriptor* descriptor = NULL;
        if (SUCCEEDED(hr)) {
            hr = MFCreateStreamDescriptor(0, static_cast<DWORD>(types.size()), types.data(), &descriptor);
        }
        IMFMediaTypeHandler* handler = NULL;
        if (SUCCEEDED(hr)) hr = descriptor->GetMediaTypeHandler(&handler);
        if (SUCCEEDED(hr)) hr = handler->SetCurrentMediaType(types[0]);
        if (handler) handler->Release();
        for (IMFMediaType* created : types) created->Release();
        if (SUCCEEDED(hr)) hr = MFCreatePresentationDescriptor(1, &descriptor, &m_pPresentation);
        if (SUCCEEDED(hr)) hr = m_pPresentation->SelectStream(0);
        if (SUCCEEDED(hr)) hr = MFCreateEventQueue(&m_pQueue);
        IMFMediaEventQueue* streamQueue = NULL;
        if (SUCCEEDED(hr)) hr = MFCreateEventQueue(&streamQueue);
        if (SUCCEEDED(hr)) {
            m_pStream = new (std::nothrow) CVirtualMediaStream(this, descriptor, streamQueue);
            if (m_pStream) m_pStream->NonDelegatingAddRef();
            else hr = E_OUTOFMEMORY;
        }
        if (streamQueue) streamQueue->Release();
        if (descriptor) descriptor->Release();
        return hr;
    }

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        CheckPointer(ppv, E_POINTER);
        if (IsEqualIID(riid, IID_IMFMediaSource) || IsEqualIID(riid, IID_IMFMediaEventGenerator)) {
            return GetInterface(static_cast<IMFMediaSource*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP GetEvent(DWORD dwFlags, IMFMediaEvent** ppEvent) override {
        IMFMediaEventQueue* queue = Queue();
        if (!queue) return MF_E_SHUTDOWN;
        const HRESULT hr = queue->GetEvent(dwFlags, ppEvent);
        queue->Release();
        return hr;
    }
    STDMETHODIMP BeginGetEvent(IMFAsyncCallback* pCallback, IUnknown* punkState) override {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        return m_pQueue->BeginGetEvent(pCallback, punkState);
    }
    STDMETHODIMP EndGetEvent(IMFAsyncResult* pResult, IMFMediaEvent** ppEvent) override {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        return m_pQueue->EndGetEvent(pResult, ppEvent);
    }
    STDMETHODIMP QueueEvent(MediaEventType met, REFGUID guidExtendedType, HRESULT hrStatus,
                            const PROPVARIANT* pvValue) override {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        return m_pQueue->QueueEventParamVar(met, guidExtendedType, hrStatus, pvValue);
    }

    STDMETHODIMP GetCharacteristics(DWORD* pdwCharacteristics) override {
        CheckPointer(pdwCharacteristics, E_POINTER);
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        *pdwCharacteristics = MFMEDIASOURCE_IS_LIVE;
        return S_OK;
    }
    STDMETHODIMP CreatePresentationDescriptor(IMFPresentationDescriptor** ppDescriptor) override {
        CheckPointer(ppDescriptor, E_POINTER);
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        return m_pPresentation->Clone(ppDescriptor);
    }
    // A live source: it starts where it is, whatever position is asked for.
    STDMETHODIMP Start(IMFPresentationDescriptor* pDescriptor, const GUID* pguidTimeFormat,
                       const PROPVARIANT* pvarStartPosition) override {
        if (!pDescriptor) return E_INVALIDARG;
        if (pguidTimeFormat && !IsEqualGUID(*pguidTimeFormat, GUID_NULL)) return MF_E_UNSUPPORTED_TIME_FORMAT;
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        BOOL selected = FALSE;
        IMFStreamDescriptor* descriptor = NULL;
        HRESULT hr = pDescriptor->GetStreamDescriptorByIndex(0, &selected, &descriptor);
        if (FAILED(hr)) return hr;
        descriptor->Release();
        if (selected) {
            PROPVARIANT stream;
            PropVariantInit(&stream);
            stream.vt = VT_UNKNOWN;
            stream.punkVal = static_cast<IMFMediaStream*>(m_pStream);
            hr = m_pQueue->QueueEventParamVar(m_streamAnnounced ? MEUpdatedStream : MENewStream,
                                              GUID_NULL, S_OK, &stream);
            m_streamAnnounced = true;
        }
        PROPVARIANT empty;
        PropVariantInit(&empty);
        if (SUCCEEDED(hr)) hr = m_pQueue->QueueEventParamVar(MESourceStarted, GUID_NULL, S_OK, &empty);
        if (SUCCEEDED(hr) && selected) m_pStream->Start(false);
        (void)pvarStartPosition;
        return hr;
    }
    STDMETHODIMP Stop() override {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        m_pStream->Stop();
        return m_pQueue->QueueEventParamVar(MESourceStopped, GUID_NULL, S_OK, NULL);
    }
    STDMETHODIMP Pause() override { return MF_E_INVALID_STATE_TRANSITION; }
    STDMETHODIMP Shutdown() override {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return MF_E_SHUTDOWN;
        m_shutdown = true;
        m_pQueue->Shutdown();
        m_pStream->Detach();
        return S_OK;
    }

private:
    ~CVirtualMediaSource() override {
        if (m_pStream) {
            m_pStream->Detach();
            m_pStream->NonDelegatingRelease();
        }
        if (m_pQueue) m_pQueue->Release();
        if (m_pPresentation) m_pPresentation->Release();
    }
    IMFMediaEventQueue* Queue() {
        CAutoLock lock(&m_lock);
        if (m_shutdown) return NULL;
        m_pQueue->AddRef();
        return m_pQueue;
    }

    CCritSec m_lock;
    IMFPresentationDescriptor* m_pPresentation = NULL;
    IMFMediaEventQueue* m_pQueue = NULL;
    CVirtualMediaStream* m_pStream = NULL;
    bool m_streamAnnounced = false;
    bool m_shutdown = false;
};

STDMETHODIMP CVirtualMediaStream::GetMediaSource(IMFMediaSource** ppMediaSource) {
    CheckPointer(ppMediaSource, E_POINTER);
    CAutoLock lock(&m_lock);
    if (!m_pSource) return MF_E_SHUTDOWN;
    return GetInterface(static_cast<IMFMediaSource*>(m_pSource), reinterpret_cast<void**>(ppMediaSource));
}

// Packs the next frame in the stream's current type into a new sample.
HRESULT CVirtualMediaStream::CreateFrameSample(IMFSample** ppSample) {
    IMFMediaTypeHandler* handler = NULL;
    HRESULT hr = m_pDescriptor->GetMediaTypeHandler(&handler);
    IMFMediaType* type = NULL;
    if (SUCCEEDED(hr)) hr = handler->GetCurrentMediaType(&type);
    if (handler) handler->Release();
    if (FAILED(hr)) return hr;
    GUID subtype = GUID_NULL;
    UINT32 width = 0, height = 0;
    hr = type->GetGUID(MF_MT_SUBTYPE, &subtype);
    if (SUCCEEDED(hr)) hr = MFGetAttributeSize(type, MF_MT_FRAME_SIZE, &width, &height);
    type->Release();
    if (FAILED(hr)) return hr;

    const zkvsim::FrameFormat* format = zkvsim::FindFrameFormat(subtype.Data1);
    const std::size_t bytes = format ? zkvsim::FrameBytes(*format, width, height) : 0;
    if (bytes == 0) return MF_E_INVALIDMEDIATYPE;
    IMFMediaBuffer* buffer = NULL;
    hr = MFCreateMemoryBuffer(static_cast<DWORD>(bytes), &buffer);
    if (FAILED(hr)) return hr;
    BYTE* data = NULL;
    hr = buffer->Lock(&data, NULL, NULL);
    if (SUCCEEDED(hr)) {
        const std::size_t written = PackVirtualFrame(subtype.Data1, width, height, m_frame, data, bytes);
        buffer->Unlock();
        hr = written == bytes ? buffer->SetCurrentLength(static_cast<DWORD>(bytes)) : E_FAIL;
    }
    IMFSample* sample = NULL;
    if (SUCCEEDED(hr)) hr = MFCreateSample(&sample);
    if (SUCCEEDED(hr)) hr = sample->AddBuffer(buffer);
    buffer->Release();
    if (SUCCEEDED(hr)) hr = sample->SetSampleTime(static_cast<LONGLONG>(m_frame) * kVirtualFrameDuration);
    if (SUCCEEDED(hr)) hr = sample->SetSampleDuration(kVirtualFrameDuration);
    if (FAILED(hr)) {
        if (sample) sample->Release();
        return hr;
    }
    ++m_frame;
    *ppSample = sample;
    return S_OK;
}

STDMETHODIMP CVirtualMediaStream::RequestSample(IUnknown* pToken) {
    CAutoLock lock(&m_lock);
    if (!m_pSource) return MF_E_SHUTDOWN;
    if (!m_started) return MF_E_MEDIA_SOURCE_WRONGSTATE;
    IMFSample* sample = NULL;
    HRESULT hr = CreateFrameSample(&sample);
    if (SUCCEEDED(hr) && pToken) hr = sample->SetUnknown(MFSampleExtension_Token, pToken);
    if (SUCCEEDED(hr)) {
        PROPVARIANT value;
        PropVariantInit(&value);
        value.vt = VT_UNKNOWN;
        value.punkVal = sample;
        hr = m_pQueue->QueueEventParamVar(MEMediaSample, GUID_NULL, S_OK, &value);
    }
    if (sample) sample->Release();
    return hr;
}

}  // namespace

std::size_t PackVirtualFrame(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height,
                             std::uint64_t frame, std::uint8_t* out, std::size_t capacity) {
    const zkvsim::FrameFormat* format = zkvsim::FindFrameFormat(fourcc);
    if (!format || fourcc == 0) return 0;
    zkvsim::StreamFormat stream;
    stream.fourcc = fourcc;
    stream.width = width;
    stream.height = height;
    stream.sceneWidth = width;
    stream.sceneHeight = height;
    const zkvsim::BayerTile tile =
        format->pack == zkvsim::PackKind::Bayer8 ? format->assumedTile : zkvsim::BayerTile::None;
    return zkvsim::PackFrame(stream, tile, frame, out, capacity);
}

HRESULT CreateVirtualMediaSource(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height,
                                 IMFMediaSource** ppSource) {
    CheckPointer(ppSource, E_POINTER);
    *ppSource = NULL;
    CVirtualMediaSource* source = new (std::nothrow) CVirtualMediaSource();
    if (!source) return E_OUTOFMEMORY;
    source->NonDelegatingAddRef();
    HRESULT hr = source->Initialize(fourcc, width, height);
    if (SUCCEEDED(hr)) hr = source->NonDelegatingQueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(ppSource));
    source->NonDelegatingRelease();
    return hr;
}
