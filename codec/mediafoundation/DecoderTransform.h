// The Media Foundation video decoder transform: one input stream of camera
// frames (any FOURCC the codec decodes), one output stream of top-down 32-bit
// RGB images of the same size. Synchronous; it holds at most one input frame
// and writes into the samples the caller provides. The decisions are
// DecoderTransformCore's; this class carries media types and samples.
#pragma once

#include <mfapi.h>
#include <mfidl.h>
#include <mftransform.h>

#include "ComBase.h"
#include "CritSec.h"
#include "mediafoundation/DecoderTransformCore.h"

class CZKVDecoderTransform final : public CUnknown, public IMFTransform {
public:
    static CUnknown* CALLBACK CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP GetStreamLimits(DWORD* pdwInputMinimum, DWORD* pdwInputMaximum,
                                 DWORD* pdwOutputMinimum, DWORD* pdwOutputMaximum) override;
    STDMETHODIMP GetStreamCount(DWORD* pcInputStreams, DWORD* pcOutputStreams) override;
    STDMETHODIMP GetStreamIDs(DWORD dwInputIDArraySize, DWORD* pdwInputIDs,
                              DWORD dwOutputIDArraySize, DWORD* pdwOutputIDs) override;
    STDMETHODIMP GetInputStreamInfo(DWORD dwInputStreamID, MFT_INPUT_STREAM_INFO* pStreamInfo) override;
    STDMETHODIMP GetOutputStreamInfo(DWORD dwOutputStreamID, MFT_OUTPUT_STREAM_INFO* pStreamInfo) override;
    STDMETHODIMP GetAttributes(IMFAttributes** pAttributes) override;
    STDMETHODIMP GetInputStreamAttributes(DWORD dwInputStreamID, IMFAttributes** pAttributes) override;
    STDMETHODIMP GetOutputStreamAttributes(DWORD dwOutputStreamID, IMFAttributes** pAttributes) override;
    STDMETHODIMP DeleteInputStream(DWORD dwStreamID) override;
    STDMETHODIMP AddInputStreams(DWORD cStreams, DWORD* adwStreamIDs) override;
    STDMETHODIMP GetInputAvailableType(DWORD dwInputStreamID, DWORD dwTypeIndex, IMFMediaType** ppType) override;
    STDMETHODIMP GetOutputAvailableType(DWORD dwOutputStreamID, DWORD dwTypeIndex, IMFMediaType** ppType) override;
    STDMETHODIMP SetInputType(DWORD dwInputStreamID, IMFMediaType* pType, DWORD dwFlags) override;
    STDMETHODIMP SetOutputType(DWORD dwOutputStreamID, IMFMediaType* pType, DWORD dwFlags) override;
    STDMETHODIMP GetInputCurrentType(DWORD dwInputStreamID, IMFMediaType** ppType) override;
    STDMETHODIMP GetOutputCurrentType(DWORD dwOutputStreamID, IMFMediaType** ppType) override;
    STDMETHODIMP GetInputStatus(DWORD dwInputStreamID, DWORD* pdwFlags) override;
    STDMETHODIMP GetOutputStatus(DWORD* pdwFlags) override;
    STDMETHODIMP SetOutputBounds(LONGLONG hnsLowerBound, LONGLONG hnsUpperBound) override;
    STDMETHODIMP ProcessEvent(DWORD dwInputStreamID, IMFMediaEvent* pEvent) override;
    STDMETHODIMP ProcessMessage(MFT_MESSAGE_TYPE eMessage, ULONG_PTR ulParam) override;
    STDMETHODIMP ProcessInput(DWORD dwInputStreamID, IMFSample* pSample, DWORD dwFlags) override;
    STDMETHODIMP ProcessOutput(DWORD dwFlags, DWORD cOutputBufferCount,
                               MFT_OUTPUT_DATA_BUFFER* pOutputSamples, DWORD* pdwStatus) override;

private:
    CZKVDecoderTransform(LPUNKNOWN pUnk, HRESULT* phr);
    ~CZKVDecoderTransform() override;

    HRESULT CurrentType(const VideoTypeRecord* record, std::uint32_t sampleSize, IMFMediaType** ppType);
    HRESULT SetType(bool input, IMFMediaType* pType, DWORD dwFlags);
    HRESULT WriteOutput(IMFSample* pOutput);
    void ReleaseInput();

    CCritSec m_lock;  // the caller's threads may change types while another processes
    DecoderTransformCore m_core;
    IMFAttributes* m_pAttributes = NULL;
    IMFSample* m_pInputSample = NULL;        // the waiting frame's sample
    IMFMediaBuffer* m_pInputBuffer = NULL;   // its contiguous buffer
};
