// The capture pin: stream configuration with standard and Format 7
// capabilities, connection with its own allocator negotiation, and the thread
// that delivers frames of the scene in the connected format.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "CameraModel.h"

namespace zkvfilter {

class CaptureFilter;

class CapturePin final : public IPin, public IAMStreamConfig, public IKsPropertySet, public ISpecifyPropertyPages {
public:
    explicit CapturePin(CaptureFilter* filter);
    ~CapturePin();

    // IUnknown: lifetime is the filter's
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

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

    // State changes of the filter: the first two with its lock held, the
    // last without (it waits for the stream thread).
    HRESULT Activate();    // stopped -> paused
    void Started();        // -> running
    void Deactivate();     // -> stopped

private:
    static DWORD WINAPI StreamThread(void* pin);
    void StreamLoop();
    bool DeliverFrame(std::uint64_t frame, REFERENCE_TIME start, REFERENCE_TIME interval, bool discontinuity);
    HRESULT DecideAllocator(IMemInputPin* input, std::uint32_t frameBytes, IMemAllocator** allocator);
    void ReleaseConnection();

    CaptureFilter* m_filter;
    IPin* m_connected = nullptr;
    IMemInputPin* m_input = nullptr;
    IMemAllocator* m_allocator = nullptr;
    AM_MEDIA_TYPE m_mt = {};
    zkvsim::StreamFormat m_format;
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;       // set to end the stream thread
    volatile LONG m_restart = 0;   // the graph (re)started running
};

}  // namespace zkvfilter
