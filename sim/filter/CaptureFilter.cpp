#include "CaptureFilter.h"

#include <new>
#include <string>

#include "CapturePin.h"
#include "Enumerators.h"
#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"

namespace zkvfilter {
namespace {

static_assert(static_cast<ULONG>(ZKV_FAULT_STREAM_GET_STREAM_CAPS) == static_cast<ULONG>(zkvsim::kFaultStreamGetStreamCaps),
              "fault points agree");
static_assert(static_cast<ULONG>(ZKV_FAULT_RUN) == static_cast<ULONG>(zkvsim::kFaultRun) &&
                  static_cast<ULONG>(ZKV_FAULT_RUN) + 1 == static_cast<ULONG>(zkvsim::kFaultPointCount),
              "device-level fault points agree");
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

HRESULT PageList(const CLSID& page, CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = page;
    return S_OK;
}

}  // namespace

HRESULT PropertyPagesOf(const CLSID& page, CAUUID* pages) { return PageList(page, pages); }

HRESULT CaptureFilter::DeviceFault(std::uint32_t point) const { return m_device.Fault(point, zkvsim::kAnyKey); }

CaptureFilter::CaptureFilter() : m_device(DefaultSettings()) {
    InitializeCriticalSection(&m_lock);
    m_pin = new CapturePin(this);
    ModuleObjectCreated();
    AggregateInterfaceHandler();
}

CaptureFilter::~CaptureFilter() {
    if (m_handler) m_handler->Release();
    delete m_pin;
    if (m_clock) m_clock->Release();
    DeleteCriticalSection(&m_lock);
    ModuleObjectDestroyed();
}

void CaptureFilter::AggregateInterfaceHandler() {
    // The handler may query and release this object while it is built: hold
    // a reference so that the count does not fall to zero meanwhile.
    m_ref = 1;
    IUnknown* outer = static_cast<IBaseFilter*>(this);
    if (FAILED(CoCreateInstance(CLSID_ZKVInterfaceHandler, outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&m_handler)))) {
        m_handler = nullptr;
    }
    m_ref = 0;
}

HRESULT CaptureFilter::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    WarmUpVideoRenderer();
    auto* filter = new (std::nothrow) CaptureFilter();
    if (!filter) return E_OUTOFMEMORY;
    filter->AddRef();
    const HRESULT hr = filter->QueryInterface(riid, object);
    filter->Release();
    return hr;
}

STDMETHODIMP CaptureFilter::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist) {
        *object = static_cast<IBaseFilter*>(this);
    } else if (riid == IID_IAMVideoProcAmp) {
        if (m_device.IsWithheld(zkvsim::kWithholdVideoProcAmp)) return E_NOINTERFACE;
        *object = static_cast<IAMVideoProcAmp*>(this);
    } else if (riid == IID_IKsPropertySet) {
        *object = static_cast<IKsPropertySet*>(this);
    } else if (riid == IID_ISpecifyPropertyPages) {
        *object = static_cast<ISpecifyPropertyPages*>(this);
    } else if (riid == IID_IPersistPropertyBag) {
        *object = static_cast<IPersistPropertyBag*>(this);
    } else if (riid == IID_IAMFilterMiscFlags) {
        *object = static_cast<IAMFilterMiscFlags*>(this);
    } else if (riid == IID_IZKVVirtualCameraControl) {
        *object = static_cast<IZKVVirtualCameraControl*>(this);
    } else if (riid == IID_IZKVInterface) {
        if (!m_handler || m_device.IsWithheld(zkvsim::kWithholdZkvInterface)) return E_NOINTERFACE;
        return m_handler->QueryInterface(riid, object);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CaptureFilter::AddRef() { return InterlockedIncrement(&m_ref); }

STDMETHODIMP_(ULONG) CaptureFilter::Release() {
    const LONG ref = InterlockedDecrement(&m_ref);
    if (ref == 0) {
        // Guard against the count rising and falling again while tearing down.
        m_ref = 1;
        Stop();
        delete this;
    }
    return ref;
}

STDMETHODIMP CaptureFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ZkvVirtualCamera;
    return S_OK;
}

STDMETHODIMP CaptureFilter::Stop() {
    EnterCriticalSection(&m_lock);
    const bool wasStopped = m_state == State_Stopped;
    m_state = State_Stopped;
    LeaveCriticalSection(&m_lock);
    // The stream thread takes the lock to read the state: wait for it unlocked.
    if (!wasStopped) {
        m_pin->Deactivate();
        m_device.SetStreaming(false);
    }
    return S_OK;
}

STDMETHODIMP CaptureFilter::Pause() {
    HRESULT hr = DeviceFault(zkvsim::kFaultPause);
    if (FAILED(hr)) return hr;
    EnterCriticalSection(&m_lock);
    if (m_state == State_Stopped) {
        hr = m_pin->Activate();
        if (SUCCEEDED(hr)) m_device.SetStreaming(true);
    }
    if (SUCCEEDED(hr)) m_state = State_Paused;
    LeaveCriticalSection(&m_lock);
    return hr;
}

STDMETHODIMP CaptureFilter::Run(REFERENCE_TIME start) {
    HRESULT hr = DeviceFault(zkvsim::kFaultRun);
    if (FAILED(hr)) return hr;
    EnterCriticalSection(&m_lock);
    if (m_state == State_Stopped) {
        hr = m_pin->Activate();
        if (SUCCEEDED(hr)) m_device.SetStreaming(true);
    }
    if (SUCCEEDED(hr)) {
        m_start = start;
        m_state = State_Running;
        m_pin->Started();
    }
    LeaveCriticalSection(&m_lock);
    return hr;
}

STDMETHODIMP CaptureFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = State();
    // A live source delivers nothing while paused.
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

FILTER_STATE CaptureFilter::State() {
    EnterCriticalSection(&m_lock);
    const FILTER_STATE state = m_state;
    LeaveCriticalSection(&m_lock);
    return state;
}

bool CaptureFilter::StreamTime(REFERENCE_TIME* time) {
    EnterCriticalSection(&m_lock);
    IReferenceClock* clock = m_clock;
    if (clock) clock->AddRef();
    const REFERENCE_TIME start = m_start;
    LeaveCriticalSection(&m_lock);
    if (!clock) return false;
    REFERENCE_TIME now = 0;
    const HRESULT hr = clock->GetTime(&now);
    clock->Release();
    if (FAILED(hr)) return false;
    *time = now - start;
    return true;
}

STDMETHODIMP CaptureFilter::SetSyncSource(IReferenceClock* clock) {
    EnterCriticalSection(&m_lock);
    if (clock) clock->AddRef();
    if (m_clock) m_clock->Release();
    m_clock = clock;
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CaptureFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    EnterCriticalSection(&m_lock);
    *clock = m_clock;
    if (m_clock) m_clock->AddRef();
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CaptureFilter::EnumPins(IEnumPins** pins) { return CreatePinEnumerator(m_pin, pins); }

STDMETHODIMP CaptureFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    if (lstrcmpW(id, L"Capture") != 0) {
        *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    *pin = m_pin;
    m_pin->AddRef();
    return S_OK;
}

STDMETHODIMP CaptureFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    EnterCriticalSection(&m_lock);
    lstrcpynW(info->achName, m_name, MAX_FILTER_NAME);
    info->pGraph = m_graph;
    if (m_graph) m_graph->AddRef();
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    // Only joining can be made to fail: a graph must always be able to let go.
    if (graph) {
        const HRESULT hr = DeviceFault(zkvsim::kFaultJoinFilterGraph);
        if (FAILED(hr)) return hr;
    }
    EnterCriticalSection(&m_lock);
    m_graph = graph;
    m_name[0] = 0;
    if (name) lstrcpynW(m_name, name, sizeof m_name / sizeof m_name[0]);
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP CaptureFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

void CaptureFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    EnterCriticalSection(&m_lock);
    IMediaEventSink* sink = nullptr;
    if (m_graph) m_graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink));
    LeaveCriticalSection(&m_lock);
    if (sink) {
        sink->Notify(code, param1, param2);
        sink->Release();
    }
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

STDMETHODIMP CaptureFilter::GetPages(CAUUID* pages) { return PageList(CLSID_ZKVVideoProcAmpPage, pages); }

STDMETHODIMP CaptureFilter::InitNew() { return S_OK; }

STDMETHODIMP CaptureFilter::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    // A binding failure set through the control interface.
    const HRESULT fault = DeviceFault(zkvsim::kFaultLoad);
    if (FAILED(fault)) return fault;
    zkvsim::DeviceSettings s;
    ReadNumber(bag, L"ZkvDeviceIndex", &s.index);
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
    // A device registered to fail its binding stays unconfigured.
    for (const zkvsim::FaultSpec& f : s.faults) {
        if (f.point == zkvsim::kFaultLoad) return f.result;
    }
    EnterCriticalSection(&m_lock);
    const bool stopped = m_state == State_Stopped;
    LeaveCriticalSection(&m_lock);
    if (!stopped) return VFW_E_WRONG_STATE;
    m_device.Configure(s);
    return S_OK;
}

STDMETHODIMP CaptureFilter::Save(IPropertyBag*, BOOL, BOOL) { return E_NOTIMPL; }

STDMETHODIMP_(ULONG) CaptureFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

STDMETHODIMP CaptureFilter::SetFault(ULONG point, ULONG key, HRESULT hr) {
    if (point >= zkvsim::kFaultPointCount) return E_INVALIDARG;
    if (zkvsim::IsDeviceLevelPoint(point) && key != ZKV_FAULT_ANY_KEY) return E_INVALIDARG;
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

}  // namespace zkvfilter
