#include "CaptureFilter.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <string>

#include "CapturePin.h"
#include "DeviceRegistration.h"
#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"

namespace zkvfilter {
namespace {

static_assert(static_cast<ULONG>(ZKV_FAULT_STREAM_GET_STREAM_CAPS) == static_cast<ULONG>(zkvsim::kFaultStreamGetStreamCaps),
              "fault points agree");
static_assert(static_cast<ULONG>(ZKV_FAULT_RUN) == static_cast<ULONG>(zkvsim::kFaultRun),
              "device-level fault points agree");
static_assert(static_cast<ULONG>(ZKV_FAULT_DELIVER) == static_cast<ULONG>(zkvsim::kFaultDeliver) &&
                  static_cast<ULONG>(ZKV_FAULT_DELIVER) + 1 == static_cast<ULONG>(zkvsim::kFaultPointCount),
              "frame fault points agree");
static_assert(ZKV_FAULT_ANY_KEY == zkvsim::kAnyKey, "any key agrees");

// Wine fails some video renderers when several threads of a process create
// their first ones at once; one renderer made and dropped early avoids it.
void WarmUpVideoRenderer() {
    static LONG done = 0;
    if (InterlockedCompareExchange(&done, 1, 0) != 0) return;
    IBaseFilter* renderer = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   reinterpret_cast<void**>(&renderer)))) {
        renderer->Release();
    }
}

zkvsim::DeviceSettings DefaultSettings() {
    zkvsim::DeviceSettings s;
    s.index = 1;
    s.kind = zkvsim::DefaultKind(1);
    return s;
}

// Reads a string value of the device; false when it is missing.
bool ReadString(IPropertyBag* bag, const wchar_t* name, std::string* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    if (FAILED(bag->Read(name, &v, nullptr)) || v.vt != VT_BSTR) {
        VariantClear(&v);
        return false;
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, -1, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, -1, &out[0], length, nullptr, nullptr);
    VariantClear(&v);
    *text = out;
    return true;
}

bool ReadNumber(IPropertyBag* bag, const wchar_t* name, std::uint32_t* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    if (FAILED(bag->Read(name, &v, nullptr))) return false;
    const bool ok = SUCCEEDED(VariantChangeType(&v, &v, 0, VT_I4));
    if (ok) *value = static_cast<std::uint32_t>(v.lVal);
    VariantClear(&v);
    return ok;
}

HRESULT PageList(std::initializer_list<CLSID> list, CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * list.size()));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = static_cast<ULONG>(list.size());
    std::copy(list.begin(), list.end(), pages->pElems);
    return S_OK;
}

}  // namespace

HRESULT PropertyPagesOf(const CLSID& page, CAUUID* pages) { return PageList({page}, pages); }

HRESULT CaptureFilter::DeviceFault(std::uint32_t point) const { return m_device.Fault(point, zkvsim::kAnyKey); }

CaptureFilter::CaptureFilter()
    : CBaseFilter(TEXT("Virtual Camera Capture Filter"), nullptr, &m_lock, CLSID_ZkvVirtualCamera),
      m_device(DefaultSettings()) {
    m_pin = new CapturePin(this);
    AttachDevice(0);
    AggregateInterfaceHandler();
}

void CaptureFilter::AttachDevice(std::uint32_t registeredIndex) {
    std::uint32_t serial = 0;
    m_device.PeekRegister(zkvsim::kRegSerialNumber, &serial);
    std::unique_ptr<LiveFaultSection> section = LiveFaultSection::Open(serial, true);
    LiveFaultSection* table = section.get();
    zkvsim::LiveFaultSource source;
    if (table) source = [table](std::uint32_t* generation, std::vector<zkvsim::FaultSpec>* faults) {
        return table->Read(generation, faults);
    };
    m_device.SetLiveFaultSource(source);
    m_liveFaults = std::move(section);  // the previous table is no longer read
    if (!registeredIndex) return;
    zkvsim::ChannelStore store;
    store.load = [registeredIndex](std::uint32_t channel, std::vector<std::uint32_t>* words) {
        return LoadMemoryChannel(registeredIndex, channel, words) == S_OK;
    };
    store.save = [registeredIndex](std::uint32_t channel, const std::vector<std::uint32_t>& words) {
        return static_cast<zkvsim::ModelResult>(SaveMemoryChannel(registeredIndex, channel, words));
    };
    m_device.SetChannelStore(store);
}

CaptureFilter::~CaptureFilter() {
    Stop();
    if (m_handler) m_handler->Release();
    delete m_pin;
}

void CaptureFilter::AggregateInterfaceHandler() {
    // The handler may query and release this object while it is built: hold
    // a reference so that the count does not fall to zero meanwhile.
    m_cRef = 1;
    if (FAILED(CoCreateInstance(CLSID_ZKVInterfaceHandler, GetOwner(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&m_handler)))) {
        m_handler = nullptr;
    }
    m_cRef = 0;
}

CUnknown* WINAPI CaptureFilter::CreateInstance(LPUNKNOWN outer, HRESULT* phr) {
    if (outer) {
        *phr = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    WarmUpVideoRenderer();
    CaptureFilter* filter = new (std::nothrow) CaptureFilter();
    if (!filter) *phr = E_OUTOFMEMORY;
    return filter;
}

STDMETHODIMP CaptureFilter::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IAMVideoProcAmp) {
        if (m_device.IsWithheld(zkvsim::kWithholdVideoProcAmp)) return E_NOINTERFACE;
        return GetInterface(static_cast<IAMVideoProcAmp*>(this), object);
    }
    if (riid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), object);
    if (riid == IID_ISpecifyPropertyPages) return GetInterface(static_cast<ISpecifyPropertyPages*>(this), object);
    if (riid == IID_IPersistPropertyBag) return GetInterface(static_cast<IPersistPropertyBag*>(this), object);
    if (riid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(this), object);
    if (riid == IID_IZKVVirtualCameraControl) {
        return GetInterface(static_cast<IZKVVirtualCameraControl*>(this), object);
    }
    if (riid == IID_IZKVInterface) {
        if (!m_handler || m_device.IsWithheld(zkvsim::kWithholdZkvInterface)) return E_NOINTERFACE;
        return m_handler->QueryInterface(riid, object);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, object);
}

CBasePin* CaptureFilter::GetPin(int n) { return n == 0 ? m_pin : nullptr; }

STDMETHODIMP CaptureFilter::Stop() {
    const bool wasStopped = IsStopped();
    const HRESULT hr = CBaseFilter::Stop();
    if (!wasStopped) m_device.SetStreaming(false);
    return hr;
}

STDMETHODIMP CaptureFilter::Pause() {
    HRESULT hr = DeviceFault(zkvsim::kFaultPause);
    if (FAILED(hr)) return hr;
    CAutoLock lock(&m_lock);
    const bool starting = m_State == State_Stopped;
    hr = CBaseFilter::Pause();
    if (SUCCEEDED(hr) && starting) m_device.SetStreaming(true);
    return hr;
}

STDMETHODIMP CaptureFilter::Run(REFERENCE_TIME start) {
    const HRESULT hr = DeviceFault(zkvsim::kFaultRun);
    if (FAILED(hr)) return hr;
    return CBaseFilter::Run(start);
}

STDMETHODIMP CaptureFilter::GetState(DWORD timeout, FILTER_STATE* state) {
    const HRESULT hr = CBaseFilter::GetState(timeout, state);
    // A live source delivers nothing while paused.
    return SUCCEEDED(hr) && *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

STDMETHODIMP CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    // Only joining can be made to fail: a graph must always be able to let go.
    if (graph) {
        const HRESULT hr = DeviceFault(zkvsim::kFaultJoinFilterGraph);
        if (FAILED(hr)) return hr;
    }
    return CBaseFilter::JoinFilterGraph(graph, name);
}

STDMETHODIMP CaptureFilter::GetRange(long property, long* min, long* max, long* step, long* defaultValue,
                                     long* capsFlags) {
    if (!min || !max || !step || !defaultValue || !capsFlags) return E_POINTER;
    zkvsim::ProcAmpRange range{};
    const HRESULT hr = m_device.ProcAmpGetRange(property, &range);
    if (FAILED(hr)) return hr;
    *min = range.min;
    *max = range.max;
    *step = range.step;
    *defaultValue = range.defaultValue;
    *capsFlags = range.capsFlags;
    return S_OK;
}

STDMETHODIMP CaptureFilter::Set(long property, long value, long flags) {
    return m_device.ProcAmpSet(property, value, flags);
}

STDMETHODIMP CaptureFilter::Get(long property, long* value, long* flags) {
    if (!value || !flags) return E_POINTER;
    std::int32_t v = 0, f = 0;
    const HRESULT hr = m_device.ProcAmpGet(property, &v, &f);
    if (SUCCEEDED(hr)) {
        *value = v;
        *flags = f;
    }
    return hr;
}

STDMETHODIMP CaptureFilter::Set(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize) {
    if (set != PROPSETID_ZKV) return E_PROP_SET_UNSUPPORTED;
    return m_device.PropertySet(id, static_cast<const std::uint8_t*>(data), dataSize);
}

STDMETHODIMP CaptureFilter::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize, DWORD* returned) {
    if (set != PROPSETID_ZKV) return E_PROP_SET_UNSUPPORTED;
    std::uint32_t count = 0;
    const HRESULT hr = m_device.PropertyGet(id, static_cast<std::uint8_t*>(data), dataSize, &count);
    if (returned) *returned = count;
    return hr;
}

STDMETHODIMP CaptureFilter::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != PROPSETID_ZKV) return E_PROP_SET_UNSUPPORTED;
    if (!zkvsim::VirtualDevice::IsVendorProperty(id)) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

STDMETHODIMP CaptureFilter::GetPages(CAUUID* pages) {
    return PageList({CLSID_ZKVVideoProcAmpPage, CLSID_ZKVCameraControlPage}, pages);
}

STDMETHODIMP CaptureFilter::InitNew() { return S_OK; }

STDMETHODIMP CaptureFilter::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    // A binding failure set through the control interface.
    const HRESULT fault = DeviceFault(zkvsim::kFaultLoad);
    if (FAILED(fault)) return fault;
    zkvsim::DeviceSettings s;
    // Bound from a registered device: its channels live under its key.
    const bool registered = ReadNumber(bag, L"ZkvDeviceIndex", &s.index);
    ReadNumber(bag, L"ZkvSerialNumber", &s.serialNumber);
    std::string text;
    s.kind = zkvsim::DefaultKind(s.index);
    if (ReadString(bag, L"ZkvKind", &text)) s.kind = text;
    if (!zkvsim::FindDeviceKind(s.kind)) return E_INVALIDARG;
    if (ReadString(bag, L"ZkvFaults", &text) && !zkvsim::ParseFaultList(text, &s.faults)) return E_INVALIDARG;
    if (ReadString(bag, L"ZkvWithhold", &text) && !zkvsim::ParseWithheldList(text, &s.withheld)) return E_INVALIDARG;
    if (ReadString(bag, L"ZkvFormat7Unavailable", &text) && !zkvsim::ParseModeList(text, &s.format7Unavailable)) {
        return E_INVALIDARG;
    }
    if (ReadString(bag, L"ZkvLacks", &text) && !zkvsim::ParseMissingList(text, &s.lacks)) return E_INVALIDARG;
    if (ReadString(bag, L"ZkvStartFormat", &text) && !zkvsim::ParseStartFormat(text, &s.start)) return E_INVALIDARG;
    // A device registered to fail its binding stays unconfigured.
    for (const zkvsim::FaultSpec& f : s.faults) {
        if (f.point == zkvsim::kFaultLoad) return f.result;
    }
    if (!IsStopped()) return VFW_E_WRONG_STATE;
    m_device.Configure(s);
    AttachDevice(registered && s.index ? s.index : 0);
    return S_OK;
}

STDMETHODIMP CaptureFilter::Save(IPropertyBag*, BOOL, BOOL) { return E_NOTIMPL; }

STDMETHODIMP_(ULONG) CaptureFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

STDMETHODIMP CaptureFilter::SetFault(ULONG point, ULONG key, HRESULT hr) {
    if (point >= zkvsim::kFaultPointCount) return E_INVALIDARG;
    if (!zkvsim::IsValidFaultKey(point, key)) return E_INVALIDARG;
    m_device.SetFault(point, key, hr);
    return S_OK;
}

STDMETHODIMP CaptureFilter::ClearFaults() {
    m_device.ClearFaults();
    return S_OK;
}

STDMETHODIMP CaptureFilter::PokeRegister(ULONG address, ULONG value) { return m_device.PokeRegister(address, value); }

STDMETHODIMP CaptureFilter::PeekRegister(ULONG address, ULONG* value) {
    if (!value) return E_POINTER;
    std::uint32_t v = 0;
    const HRESULT hr = m_device.PeekRegister(address, &v);
    if (SUCCEEDED(hr)) *value = v;
    return hr;
}

STDMETHODIMP CaptureFilter::SetFormat7ModeAvailable(ULONG mode, BOOL available) {
    return m_device.SetFormat7ModeAvailable(mode, available != FALSE);
}

STDMETHODIMP CaptureFilter::WithholdInterface(REFIID iid, BOOL withhold) {
    std::uint32_t which = 0;
    if (iid == IID_IAMStreamConfig) {
        which = zkvsim::kWithholdStreamConfig;
    } else if (iid == IID_IAMVideoProcAmp) {
        which = zkvsim::kWithholdVideoProcAmp;
    } else if (iid == IID_IZKVInterface) {
        which = zkvsim::kWithholdZkvInterface;
    } else {
        return E_INVALIDARG;
    }
    m_device.Withhold(which, withhold != FALSE);
    return S_OK;
}

STDMETHODIMP CaptureFilter::GetLastRequest(ULONG propertyId, BOOL set, BYTE* record, ULONG size) {
    return m_device.LastRequest(propertyId, set != FALSE, record, size);
}

STDMETHODIMP CaptureFilter::GetRegisterWrites(ULONG* addresses, ULONG* values, ULONG capacity, ULONG* count) {
    if (!count || (capacity && (!addresses || !values))) return E_POINTER;
    const auto writes = m_device.RegisterWrites();
    *count = static_cast<ULONG>(writes.size());
    const ULONG n = capacity < writes.size() ? capacity : static_cast<ULONG>(writes.size());
    for (ULONG i = 0; i < n; ++i) {
        addresses[i] = writes[i].first;
        values[i] = writes[i].second;
    }
    return n < writes.size() ? S_FALSE : S_OK;
}

STDMETHODIMP CaptureFilter::ClearRegisterWrites() {
    m_device.ClearRegisterWrites();
    return S_OK;
}

STDMETHODIMP CaptureFilter::GetFramesTaken(ULONGLONG* taken) {
    if (!taken) return E_POINTER;
    *taken = m_device.FramesTaken();
    return S_OK;
}

}  // namespace zkvfilter
