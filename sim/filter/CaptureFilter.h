// The virtual camera's capture filter: what the kernel-streaming proxy and the
// camera driver are to a real camera. It answers the vendor property set and
// the video proc amp from the camera model, aggregates the interface handler
// registered for the vendor set, lists the camera's property pages and owns
// the capture pin.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "VirtualDevice.h"
#include "ZKVVirtualCameraControl.h"

namespace zkvfilter {

class CapturePin;

// A one-page list for ISpecifyPropertyPages::GetPages.
HRESULT PropertyPagesOf(const CLSID& page, CAUUID* pages);

class CaptureFilter final : public IBaseFilter,
                      public IAMVideoProcAmp,
                      public IKsPropertySet,
                      public ISpecifyPropertyPages,
                      public IPersistPropertyBag,
                      public IAMFilterMiscFlags,
                      public IZKVVirtualCameraControl {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist (IBaseFilter and IPersistPropertyBag)
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // IAMVideoProcAmp
    STDMETHODIMP GetRange(long property, long* min, long* max, long* step, long* defaultValue,
                          long* capsFlags) override;
    STDMETHODIMP Set(long property, long value, long flags) override;
    STDMETHODIMP Get(long property, long* value, long* flags) override;

    // IKsPropertySet: the vendor property set
    STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data, DWORD dataSize) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data, DWORD dataSize,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IPersistPropertyBag
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override;

    // IZKVVirtualCameraControl
    STDMETHODIMP SetFault(ULONG point, ULONG key, HRESULT hr) override;
    STDMETHODIMP ClearFaults() override;
    STDMETHODIMP PokeRegister(ULONG address, ULONG value) override;
    STDMETHODIMP PeekRegister(ULONG address, ULONG* value) override;
    STDMETHODIMP SetFormat7ModeAvailable(ULONG mode, BOOL available) override;
    STDMETHODIMP WithholdInterface(REFIID iid, BOOL withhold) override;
    STDMETHODIMP GetLastRequest(ULONG propertyId, BOOL set, BYTE* record, ULONG size) override;
    STDMETHODIMP GetRegisterWrites(ULONG* addresses, ULONG* values, ULONG capacity, ULONG* count) override;
    STDMETHODIMP ClearRegisterWrites() override;

    // For the pin.
    zkvsim::VirtualDevice& Device() { return m_device; }
    CRITICAL_SECTION* Lock() { return &m_lock; }
    FILTER_STATE State();
    // The current stream time, or false when the graph gave no clock.
    bool StreamTime(REFERENCE_TIME* time);
    IFilterGraph* Graph() { return m_graph; }
    void NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);

private:
    CaptureFilter();
    ~CaptureFilter();
    void AggregateInterfaceHandler();
    // The injected failure of a keyless device-level fault point, or S_OK.
    HRESULT DeviceFault(std::uint32_t point) const;

    LONG m_ref = 0;
    CRITICAL_SECTION m_lock;
    zkvsim::VirtualDevice m_device;
    CapturePin* m_pin = nullptr;
    IUnknown* m_handler = nullptr;  // the aggregated interface handler's inner unknown
    FILTER_STATE m_state = State_Stopped;
    REFERENCE_TIME m_start = 0;
    IReferenceClock* m_clock = nullptr;
    IFilterGraph* m_graph = nullptr;  // not counted: the graph holds the filter
    WCHAR m_name[128] = {};
};

}  // namespace zkvfilter
