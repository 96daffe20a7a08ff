// The virtual camera's capture filter: what the kernel-streaming proxy and the
// camera driver are to a real camera. It answers the vendor property set and
// the video proc amp from the camera model, aggregates the interface handler
// registered for the vendor set, lists the camera's property pages and owns
// the capture pin.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <memory>

#include "BaseClasses.h"
#include "LiveFaults.h"
#include "VirtualDevice.h"
#include "ZKVVirtualCameraControl.h"

namespace zkvfilter {

class CapturePin;

// A one-page list for ISpecifyPropertyPages::GetPages.
HRESULT PropertyPagesOf(const CLSID& page, CAUUID* pages);

class CaptureFilter final : public CBaseFilter,
                            public IAMVideoProcAmp,
                            public IKsPropertySet,
                            public ISpecifyPropertyPages,
                            public IPersistPropertyBag,
                            public IAMFilterMiscFlags,
                            public IZKVVirtualCameraControl {
public:
    // The class table's create function; the filter is never aggregated.
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // CBaseFilter: the one capture pin
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    // IPersist (IBaseFilter and IPersistPropertyBag)
    STDMETHODIMP GetClassID(CLSID* clsid) override { return CBaseFilter::GetClassID(clsid); }
    // IMediaFilter: the camera streams (ISO_EN) from Pause to Stop
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    // IBaseFilter
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

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
    STDMETHODIMP GetFramesTaken(ULONGLONG* taken) override;

    // For the pin.
    zkvsim::VirtualDevice& Device() { return m_device; }
    CCritSec* Lock() { return &m_lock; }

private:
    CaptureFilter();
    ~CaptureFilter() override;
    void AggregateInterfaceHandler();
    // The injected failure of a keyless device-level fault point, or S_OK.
    HRESULT DeviceFault(std::uint32_t point) const;
    // Connects the configured device to its live fault table and, for a
    // registered device (registeredIndex not 0), to the memory channels kept
    // under its registry key.
    void AttachDevice(std::uint32_t registeredIndex);

    CCritSec m_lock;
    std::unique_ptr<LiveFaultSection> m_liveFaults;  // outlives the device that reads it
    zkvsim::VirtualDevice m_device;
    CapturePin* m_pin = nullptr;
    IUnknown* m_handler = nullptr;  // the aggregated interface handler's inner unknown
};

}  // namespace zkvfilter
