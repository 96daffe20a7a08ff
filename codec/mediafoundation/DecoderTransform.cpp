#include "mediafoundation/DecoderTransform.h"

#include <mferror.h>

#include <new>

#include "mediafoundation/MediaTypeRecords.h"

namespace {

HRESULT ToHresult(TransformResult result) {
    switch (result) {
    case TransformResult::Ok: return S_OK;
    case TransformResult::InvalidType: return MF_E_INVALIDMEDIATYPE;
    case TransformResult::TypeNotSet: return MF_E_TRANSFORM_TYPE_NOT_SET;
    case TransformResult::NoMoreTypes: return MF_E_NO_MORE_TYPES;
    case TransformResult::NotAccepting: return MF_E_NOTACCEPTING;
    case TransformResult::NeedMoreInput: return MF_E_TRANSFORM_NEED_MORE_INPUT;
    case TransformResult::BufferTooSmall: return MF_E_BUFFERTOOSMALL;
    case TransformResult::BadPitch: return E_INVALIDARG;
    case TransformResult::TypeChangeWhileProcessing:
        return MF_E_TRANSFORM_CANNOT_CHANGE_MEDIATYPE_WHILE_PROCESSING;
    }
    return E_UNEXPECTED;
}

// The output buffer locked for writing: through IMF2DBuffer2 with its own
// pitch, so that a 2-D buffer is written in place, or else as contiguous
// bytes, which a 2-D buffer without that interface copies back at unlock.
class LockedOutput {
public:
    LockedOutput(IMFMediaBuffer* buffer, std::uint32_t rowBytes) : m_pBuffer(buffer) {
        if (SUCCEEDED(buffer->QueryInterface(IID_IMF2DBuffer2, reinterpret_cast<void**>(&m_p2D)))) {
            BYTE* scanline0 = NULL;
            LONG pitch = 0;
            BYTE* start = NULL;
            DWORD length = 0;
            m_hr = m_p2D->Lock2DSize(MF2DBuffer_LockFlags_Write, &scanline0, &pitch, &start, &length);
            if (SUCCEEDED(m_hr)) {
                m_data = scanline0;
                m_pitch = pitch;
                // Bytes from the first row to the end of the buffer.
                m_length = scanline0 >= start && scanline0 <= start + length
                               ? static_cast<std::size_t>(start + length - scanline0)
                               : 0;
            }
            return;
        }
        DWORD maxLength = 0;
        m_hr = buffer->Lock(&m_data, &maxLength, NULL);
        m_length = maxLength;
        m_pitch = rowBytes;
    }
    ~LockedOutput() {
        if (SUCCEEDED(m_hr)) {
            if (m_p2D) m_p2D->Unlock2D();
            else m_pBuffer->Unlock();
        }
        if (m_p2D) m_p2D->Release();
    }
    LockedOutput(const LockedOutput&) = delete;
    LockedOutput& operator=(const LockedOutput&) = delete;

    HRESULT Result() const { return m_hr; }
    BYTE* Data() const { return m_data; }
    std::size_t Length() const { return m_length; }
    LONG Pitch() const { return m_pitch; }

private:
    IMFMediaBuffer* m_pBuffer;
    IMF2DBuffer2* m_p2D = NULL;
    HRESULT m_hr = E_FAIL;
    BYTE* m_data = NULL;
    std::size_t m_length = 0;
    LONG m_pitch = 0;
};

constexpr DWORD kStreamFlags = 0x1 | 0x2 | 0x4;  // whole samples, one per buffer, fixed size
static_assert(kStreamFlags == (MFT_INPUT_STREAM_WHOLE_SAMPLES | MFT_INPUT_STREAM_SINGLE_SAMPLE_PER_BUFFER |
                               MFT_INPUT_STREAM_FIXED_SAMPLE_SIZE) &&
                  kStreamFlags == (MFT_OUTPUT_STREAM_WHOLE_SAMPLES |
                                   MFT_OUTPUT_STREAM_SINGLE_SAMPLE_PER_BUFFER |
                                   MFT_OUTPUT_STREAM_FIXED_SAMPLE_SIZE),
              "the same three flags on both streams");

}  // namespace

CUnknown* CALLBACK CZKVDecoderTransform::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
    CZKVDecoderTransform* transform = new (std::nothrow) CZKVDecoderTransform(pUnk, phr);
    if (!transform) {
        *phr = E_OUTOFMEMORY;
        return NULL;
    }
    if (FAILED(*phr)) {
        delete transform;
        return NULL;
    }
    return transform;
}

CZKVDecoderTransform::CZKVDecoderTransform(LPUNKNOWN pUnk, HRESULT* phr)
    : CUnknown(TEXT("ZKV decoder transform"), pUnk) {
    const HRESULT hr = MFCreateAttributes(&m_pAttributes, 1);
    if (FAILED(hr)) *phr = hr;
}

CZKVDecoderTransform::~CZKVDecoderTransform() {
    ReleaseInput();
    if (m_pAttributes) m_pAttributes->Release();
}

STDMETHODIMP CZKVDecoderTransform::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IMFTransform)) {
        return GetInterface(static_cast<IMFTransform*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

void CZKVDecoderTransform::ReleaseInput() {
    if (m_pInputBuffer) m_pInputBuffer->Release();
    if (m_pInputSample) m_pInputSample->Release();
    m_pInputBuffer = NULL;
    m_pInputSample = NULL;
}

STDMETHODIMP CZKVDecoderTransform::GetStreamLimits(DWORD* pdwInputMinimum, DWORD* pdwInputMaximum,
                                                   DWORD* pdwOutputMinimum, DWORD* pdwOutputMaximum) {
    if (!pdwInputMinimum || !pdwInputMaximum || !pdwOutputMinimum || !pdwOutputMaximum) {
        return E_POINTER;
    }
    *pdwInputMinimum = *pdwInputMaximum = *pdwOutputMinimum = *pdwOutputMaximum = 1;
    return S_OK;
}

STDMETHODIMP CZKVDecoderTransform::GetStreamCount(DWORD* pcInputStreams, DWORD* pcOutputStreams) {
    if (!pcInputStreams || !pcOutputStreams) return E_POINTER;
    *pcInputStreams = *pcOutputStreams = 1;
    return S_OK;
}

// The single streams have the fixed id 0.
STDMETHODIMP CZKVDecoderTransform::GetStreamIDs(DWORD, DWORD*, DWORD, DWORD*) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::GetInputStreamInfo(DWORD dwInputStreamID,
                                                      MFT_INPUT_STREAM_INFO* pStreamInfo) {
    CheckPointer(pStreamInfo, E_POINTER);
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    pStreamInfo->hnsMaxLatency = 0;
    pStreamInfo->dwFlags = kStreamFlags;
    pStreamInfo->cbSize = m_core.InputSampleSize();
    pStreamInfo->cbMaxLookahead = 0;
    pStreamInfo->cbAlignment = 0;
    return S_OK;
}

// The caller provides the output samples (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES
// is not set).
STDMETHODIMP CZKVDecoderTransform::GetOutputStreamInfo(DWORD dwOutputStreamID,
                                                       MFT_OUTPUT_STREAM_INFO* pStreamInfo) {
    CheckPointer(pStreamInfo, E_POINTER);
    if (dwOutputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    pStreamInfo->dwFlags = kStreamFlags;
    pStreamInfo->cbSize = m_core.OutputSampleSize();
    pStreamInfo->cbAlignment = 0;
    return S_OK;
}

STDMETHODIMP CZKVDecoderTransform::GetAttributes(IMFAttributes** pAttributes) {
    CheckPointer(pAttributes, E_POINTER);
    return GetInterface(m_pAttributes, reinterpret_cast<void**>(pAttributes));
}

STDMETHODIMP CZKVDecoderTransform::GetInputStreamAttributes(DWORD, IMFAttributes**) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::GetOutputStreamAttributes(DWORD, IMFAttributes**) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::DeleteInputStream(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::AddInputStreams(DWORD, DWORD*) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::GetInputAvailableType(DWORD dwInputStreamID, DWORD dwTypeIndex,
                                                         IMFMediaType** ppType) {
    CheckPointer(ppType, E_POINTER);
    *ppType = NULL;
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    VideoTypeRecord record;
    const TransformResult result = m_core.InputTypeAt(dwTypeIndex, &record);
    if (result != TransformResult::Ok) return ToHresult(result);
    return CreateVideoType(record, 0, ppType);
}

STDMETHODIMP CZKVDecoderTransform::GetOutputAvailableType(DWORD dwOutputStreamID, DWORD dwTypeIndex,
                                                          IMFMediaType** ppType) {
    CheckPointer(ppType, E_POINTER);
    *ppType = NULL;
    if (dwOutputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    VideoTypeRecord record;
    const TransformResult result = m_core.OutputTypeAt(dwTypeIndex, &record);
    if (result != TransformResult::Ok) return ToHresult(result);
    return CreateVideoType(record, m_core.OutputSampleSize(), ppType);
}

HRESULT CZKVDecoderTransform::SetType(bool input, IMFMediaType* pType, DWORD dwFlags) {
    if (dwFlags & ~static_cast<DWORD>(MFT_SET_TYPE_TEST_ONLY)) return E_INVALIDARG;
    const bool testOnly = (dwFlags & MFT_SET_TYPE_TEST_ONLY) != 0;
    VideoTypeRecord record;
    if (pType) ReadVideoType(pType, &record);
    CAutoLock lock(&m_lock);
    const VideoTypeRecord* given = pType ? &record : NULL;
    return ToHresult(input ? m_core.SetInputType(given, testOnly)
                           : m_core.SetOutputType(given, testOnly));
}

STDMETHODIMP CZKVDecoderTransform::SetInputType(DWORD dwInputStreamID, IMFMediaType* pType,
                                                DWORD dwFlags) {
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    return SetType(true, pType, dwFlags);
}

STDMETHODIMP CZKVDecoderTransform::SetOutputType(DWORD dwOutputStreamID, IMFMediaType* pType,
                                                 DWORD dwFlags) {
    if (dwOutputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    return SetType(false, pType, dwFlags);
}

HRESULT CZKVDecoderTransform::CurrentType(const VideoTypeRecord* record, std::uint32_t sampleSize,
                                          IMFMediaType** ppType) {
    if (!record) return MF_E_TRANSFORM_TYPE_NOT_SET;
    return CreateVideoType(*record, sampleSize, ppType);
}

STDMETHODIMP CZKVDecoderTransform::GetInputCurrentType(DWORD dwInputStreamID, IMFMediaType** ppType) {
    CheckPointer(ppType, E_POINTER);
    *ppType = NULL;
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    return CurrentType(m_core.InputType(), m_core.InputSampleSize(), ppType);
}

STDMETHODIMP CZKVDecoderTransform::GetOutputCurrentType(DWORD dwOutputStreamID, IMFMediaType** ppType) {
    CheckPointer(ppType, E_POINTER);
    *ppType = NULL;
    if (dwOutputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    return CurrentType(m_core.OutputType(), m_core.OutputSampleSize(), ppType);
}

STDMETHODIMP CZKVDecoderTransform::GetInputStatus(DWORD dwInputStreamID, DWORD* pdwFlags) {
    CheckPointer(pdwFlags, E_POINTER);
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    CAutoLock lock(&m_lock);
    if (!m_core.InputType() || !m_core.OutputType()) return MF_E_TRANSFORM_TYPE_NOT_SET;
    *pdwFlags = m_core.HasPendingInput() || m_core.Draining() ? 0 : MFT_INPUT_STATUS_ACCEPT_DATA;
    return S_OK;
}

STDMETHODIMP CZKVDecoderTransform::GetOutputStatus(DWORD* pdwFlags) {
    CheckPointer(pdwFlags, E_POINTER);
    CAutoLock lock(&m_lock);
    if (!m_core.InputType() || !m_core.OutputType()) return MF_E_TRANSFORM_TYPE_NOT_SET;
    *pdwFlags = m_core.HasPendingInput() ? MFT_OUTPUT_STATUS_SAMPLE_READY : 0;
    return S_OK;
}

STDMETHODIMP CZKVDecoderTransform::SetOutputBounds(LONGLONG, LONGLONG) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::ProcessEvent(DWORD, IMFMediaEvent*) {
    return E_NOTIMPL;
}

STDMETHODIMP CZKVDecoderTransform::ProcessMessage(MFT_MESSAGE_TYPE eMessage, ULONG_PTR ulParam) {
    CAutoLock lock(&m_lock);
    switch (eMessage) {
    case MFT_MESSAGE_COMMAND_FLUSH:
        ReleaseInput();
        m_core.Flush();
        return S_OK;
    case MFT_MESSAGE_COMMAND_DRAIN:
        m_core.Drain();
        return S_OK;
    case MFT_MESSAGE_SET_D3D_MANAGER:
        // Only system-memory samples: a device manager is declined.
        return ulParam ? E_NOTIMPL : S_OK;
    default:
        // Streaming and end-of-stream notifications need nothing.
        return S_OK;
    }
}

STDMETHODIMP CZKVDecoderTransform::ProcessInput(DWORD dwInputStreamID, IMFSample* pSample,
                                                DWORD dwFlags) {
    CheckPointer(pSample, E_POINTER);
    if (dwInputStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    if (dwFlags != 0) return E_INVALIDARG;
    CAutoLock lock(&m_lock);
    // The state is checked before the sample is touched, so that a refused
    // sample is never merged into a contiguous copy.
    if (!m_core.InputType() || !m_core.OutputType()) return MF_E_TRANSFORM_TYPE_NOT_SET;
    if (m_core.HasPendingInput() || m_core.Draining()) return MF_E_NOTACCEPTING;
    IMFMediaBuffer* buffer = NULL;
    HRESULT hr = pSample->ConvertToContiguousBuffer(&buffer);
    if (FAILED(hr)) return hr;
    DWORD length = 0;
    hr = buffer->GetCurrentLength(&length);
    if (SUCCEEDED(hr)) hr = ToHresult(m_core.ProcessInput(length));
    if (FAILED(hr)) {
        buffer->Release();
        return hr;
    }
    pSample->AddRef();
    m_pInputSample = pSample;
    m_pInputBuffer = buffer;
    return S_OK;
}

// Converts the waiting frame into the caller's sample and gives it the
// frame's time, duration and discontinuity.
HRESULT CZKVDecoderTransform::WriteOutput(IMFSample* pOutput) {
    DWORD count = 0;
    HRESULT hr = pOutput->GetBufferCount(&count);
    if (FAILED(hr)) return hr;
    if (count != 1) return E_INVALIDARG;
    IMFMediaBuffer* outBuffer = NULL;
    hr = pOutput->GetBufferByIndex(0, &outBuffer);
    if (FAILED(hr)) return hr;

    BYTE* in = NULL;
    DWORD inLength = 0;
    hr = m_pInputBuffer->Lock(&in, NULL, &inLength);
    if (SUCCEEDED(hr)) {
        {
            LockedOutput out(outBuffer, m_core.OutputRowBytes());
            hr = out.Result();
            if (SUCCEEDED(hr)) {
                hr = ToHresult(m_core.ConvertFrame(in, inLength, out.Data(), out.Length(), out.Pitch()));
            }
        }
        m_pInputBuffer->Unlock();
    }
    if (SUCCEEDED(hr)) hr = outBuffer->SetCurrentLength(m_core.OutputSampleSize());
    outBuffer->Release();
    if (FAILED(hr)) return hr;

    LONGLONG time = 0;
    if (SUCCEEDED(m_pInputSample->GetSampleTime(&time))) hr = pOutput->SetSampleTime(time);
    if (SUCCEEDED(hr) && SUCCEEDED(m_pInputSample->GetSampleDuration(&time))) {
        hr = pOutput->SetSampleDuration(time);
    }
    UINT32 discontinuity = FALSE;
    if (SUCCEEDED(hr) &&
        SUCCEEDED(m_pInputSample->GetUINT32(MFSampleExtension_Discontinuity, &discontinuity))) {
        hr = pOutput->SetUINT32(MFSampleExtension_Discontinuity, discontinuity);
    }
    if (SUCCEEDED(hr)) hr = pOutput->SetUINT32(MFSampleExtension_CleanPoint, TRUE);
    return hr;
}

STDMETHODIMP CZKVDecoderTransform::ProcessOutput(DWORD dwFlags, DWORD cOutputBufferCount,
                                                 MFT_OUTPUT_DATA_BUFFER* pOutputSamples,
                                                 DWORD* pdwStatus) {
    if (!pOutputSamples || !pdwStatus) return E_POINTER;
    if (cOutputBufferCount != 1 || dwFlags != 0) return E_INVALIDARG;
    *pdwStatus = 0;
    CAutoLock lock(&m_lock);
    const TransformResult ready = m_core.OutputReady();
    if (ready != TransformResult::Ok) return ToHresult(ready);
    if (pOutputSamples[0].dwStreamID != 0) return MF_E_INVALIDSTREAMNUMBER;
    if (!pOutputSamples[0].pSample) return E_INVALIDARG;
    const HRESULT hr = WriteOutput(pOutputSamples[0].pSample);
    // A frame that was converted, or whose input could not be read, is gone;
    // one refused for its output buffer waits for a usable one.
    if (!m_core.HasPendingInput()) ReleaseInput();
    pOutputSamples[0].dwStatus = 0;
    pOutputSamples[0].pEvents = NULL;
    return hr;
}
