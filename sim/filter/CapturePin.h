// The capture pin: stream configuration with standard and Format 7
// capabilities, connection with its own allocator negotiation, and the thread
// that delivers frames of the scene in the connected format.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <atomic>

#include "BaseClasses.h"
#include "CameraModel.h"

namespace zkvfilter {

class CaptureFilter;

class CapturePin final : public CBaseOutputPin,
                         public IAMStreamConfig,
                         public IKsPropertySet,
                         public ISpecifyPropertyPages,
                         public IAMDroppedFrames {
public:
    explicit CapturePin(CaptureFilter* filter);
    ~CapturePin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // IPin: a connection first switches the camera to a complete type that
    // the graph asks for; the pin then offers the camera's current format.
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT AgreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
    HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
    HRESULT DecideAllocator(IMemInputPin* input, IMemAllocator** allocator) override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

    // IKsPropertySet: the pin category
    STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data, DWORD dataSize) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data, DWORD dataSize,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IAMDroppedFrames: the frames of the camera since the graph last started.
    STDMETHODIMP GetNumDropped(long* dropped) override;
    STDMETHODIMP GetNumNotDropped(long* notDropped) override;
    STDMETHODIMP GetDroppedInfo(long size, long* frames, long* copied) override;
    STDMETHODIMP GetAverageFrameSize(long* averageSize) override;

    // State changes of the filter: the first two with its lock held, the
    // last without (it waits for the stream thread).
    HRESULT Active() override;                   // stopped -> paused
    HRESULT Run(REFERENCE_TIME start) override;  // -> running
    HRESULT Inactive() override;                 // -> stopped

private:
    enum class Delivery { kDelivered, kLost, kEnd };

    static DWORD WINAPI StreamThread(void* pin);
    void StreamLoop();
    // One frame time: asks the camera whether a frame is due and delivers it.
    bool TakeFrame(ULONG serial, REFERENCE_TIME start, REFERENCE_TIME interval, bool* discontinuity);
    Delivery DeliverFrame(std::uint64_t frame, REFERENCE_TIME start, REFERENCE_TIME interval, bool discontinuity);

    CaptureFilter* const m_filter;
    zkvsim::StreamFormat m_format;
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;       // set to end the stream thread
    volatile LONG m_restart = 0;   // the graph (re)started running
    std::atomic<std::uint64_t> m_deliveredBytes{0};  // since the stream started
};

}  // namespace zkvfilter
