#include "DeviceRegistration.h"

#include <dshow.h>

#include <string>

#include "VirtualCameraClasses.h"

namespace zkvfilter {
namespace {

const wchar_t kFilterName[] = L"ZKV Virtual IIDC Camera";

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], length);
    return out;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring CategoryInstanceKey() {
    return L"CLSID\\" + GuidText(CLSID_VideoInputDeviceCategory) + L"\\Instance";
}

HRESULT WriteValue(IPropertyBag* bag, const wchar_t* name, const std::wstring& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.c_str());
    if (!v.bstrVal) return E_OUTOFMEMORY;
    const HRESULT hr = bag->Write(name, &v);
    VariantClear(&v);
    return hr;
}

HRESULT WriteValue(IPropertyBag* bag, const wchar_t* name, std::uint32_t number) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(number);
    return bag->Write(name, &v);
}

HRESULT WriteDeviceValues(IMoniker* moniker, const zkvsim::DeviceSettings& d) {
    IPropertyBag* bag = nullptr;
    HRESULT hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
    if (FAILED(hr)) return hr;
    hr = WriteValue(bag, L"ZkvDeviceIndex", d.index);
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvSerialNumber", d.serialNumber ? d.serialNumber : zkvsim::DefaultSerialNumber(d.index));
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvKind", Wide(d.kind));
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvFaults", Wide(zkvsim::FormatFaultList(d.faults)));
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvWithhold", Wide(zkvsim::FormatWithheldList(d.withheld)));
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvFormat7Unavailable", Wide(zkvsim::FormatModeList(d.format7Unavailable)));
    if (SUCCEEDED(hr)) hr = WriteValue(bag, L"ZkvLacks", Wide(zkvsim::FormatMissingList(d.lacks)));
    if (SUCCEEDED(hr) && d.start.given) hr = WriteValue(bag, L"ZkvStartFormat", Wide(zkvsim::FormatStartFormat(d.start)));
    bag->Release();
    return hr;
}

std::wstring DeviceKey(std::uint32_t device) {
    return CategoryInstanceKey() + L"\\" + Wide(zkvsim::InstanceName(device));
}

std::wstring ChannelValueName(std::uint32_t channel) { return L"ZkvMemoryChannel" + std::to_wstring(channel); }

}  // namespace

HRESULT LoadMemoryChannel(std::uint32_t device, std::uint32_t channel, std::vector<std::uint32_t>* words) {
    DWORD size = 0;
    const std::wstring key = DeviceKey(device), name = ChannelValueName(channel);
    LONG r = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return S_FALSE;
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    std::vector<std::uint32_t> data((size + 3) / 4);
    r = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(), &size);
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    if (size % 4) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    data.resize(size / 4);
    *words = data;
    return S_OK;
}

HRESULT SaveMemoryChannel(std::uint32_t device, std::uint32_t channel, const std::vector<std::uint32_t>& words) {
    HKEY key = nullptr;
    // The device's own key only: a device that is no longer registered keeps nothing.
    LONG r = RegOpenKeyExW(HKEY_CLASSES_ROOT, DeviceKey(device).c_str(), 0, KEY_SET_VALUE, &key);
    if (r == ERROR_SUCCESS) {
        r = RegSetValueExW(key, ChannelValueName(channel).c_str(), 0, REG_BINARY,
                           reinterpret_cast<const BYTE*>(words.data()), static_cast<DWORD>(4 * words.size()));
        RegCloseKey(key);
    }
    return HRESULT_FROM_WIN32(r);
}

HRESULT RegisteredSerialNumber(std::uint32_t device, std::uint32_t* serialNumber) {
    DWORD serial = 0, size = sizeof serial;
    const LONG r = RegGetValueW(HKEY_CLASSES_ROOT, DeviceKey(device).c_str(), L"ZkvSerialNumber", RRF_RT_REG_DWORD,
                                nullptr, &serial, &size);
    if (r == ERROR_FILE_NOT_FOUND) return S_FALSE;
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
    *serialNumber = serial;
    return S_OK;
}

HRESULT RegisterFilterClass(const wchar_t* modulePath) {
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_ZkvVirtualCamera);
    HKEY clsidKey = nullptr, serverKey = nullptr;
    LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &clsidKey, nullptr);
    if (r == ERROR_SUCCESS) {
        r = RegSetValueExW(clsidKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFilterName), sizeof kFilterName);
    }
    if (r == ERROR_SUCCESS) {
        r = RegCreateKeyExW(clsidKey, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    }
    if (r == ERROR_SUCCESS) {
        r = RegSetValueExW(serverKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(modulePath),
                           static_cast<DWORD>((lstrlenW(modulePath) + 1) * sizeof(wchar_t)));
    }
    if (r == ERROR_SUCCESS) {
        static const wchar_t both[] = L"Both";
        r = RegSetValueExW(serverKey, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(both), sizeof both);
    }
    if (serverKey) RegCloseKey(serverKey);
    if (clsidKey) RegCloseKey(clsidKey);
    return HRESULT_FROM_WIN32(r);
}

HRESULT UnregisterFilterClass() {
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_ZkvVirtualCamera);
    const LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(r);
}

HRESULT UnregisterDevices() {
    HKEY instances = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, CategoryInstanceKey().c_str(), 0, KEY_READ | KEY_WRITE, &instances) !=
        ERROR_SUCCESS) {
        return S_OK;  // no device of any kind
    }
    const std::wstring ours = GuidText(CLSID_ZkvVirtualCamera);
    HRESULT hr = S_OK;
    // Deleting while enumerating shifts the indices: restart after each removal.
    for (DWORD index = 0;;) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(instances, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        wchar_t clsid[64] = {};
        DWORD size = sizeof clsid;
        const bool mine = RegGetValueW(instances, name, L"CLSID", RRF_RT_REG_SZ, nullptr, clsid, &size) ==
                              ERROR_SUCCESS &&
                          lstrcmpiW(clsid, ours.c_str()) == 0;
        if (!mine) {
            ++index;
            continue;
        }
        const LONG r = RegDeleteTreeW(instances, name);
        if (r != ERROR_SUCCESS) {
            hr = HRESULT_FROM_WIN32(r);
            ++index;
        }
    }
    RegCloseKey(instances);
    return hr;
}

HRESULT RegisterDevices(const std::vector<zkvsim::DeviceSettings>& devices) {
    HRESULT hr = UnregisterDevices();
    if (FAILED(hr)) return hr;
    IFilterMapper2* mapper = nullptr;
    hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                          reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) return hr;
    REGPINTYPES type = {&MEDIATYPE_Video, &MEDIASUBTYPE_NULL};
    REGFILTERPINS2 pin = {};
    pin.dwFlags = 0;  // an output pin
    pin.cInstances = 1;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &type;
    pin.clsPinCategory = &PIN_CATEGORY_CAPTURE;
    REGFILTER2 filter = {};
    filter.dwVersion = 2;
    filter.dwMerit = MERIT_DO_NOT_USE;
    filter.cPins2 = 1;
    filter.rgPins2 = &pin;
    for (const zkvsim::DeviceSettings& d : devices) {
        IMoniker* moniker = nullptr;
        const std::wstring friendly = Wide(zkvsim::FriendlyName(d));
        const std::wstring instance = Wide(zkvsim::InstanceName(d.index));
        hr = mapper->RegisterFilter(CLSID_ZkvVirtualCamera, friendly.c_str(), &moniker,
                                    &CLSID_VideoInputDeviceCategory, instance.c_str(), &filter);
        if (SUCCEEDED(hr) && moniker) hr = WriteDeviceValues(moniker, d);
        if (moniker) moniker->Release();
        if (FAILED(hr)) break;
    }
    mapper->Release();
    return hr;
}

std::vector<zkvsim::DeviceSettings> DefaultDevices(std::uint32_t count) {
    std::vector<zkvsim::DeviceSettings> devices;
    for (std::uint32_t i = 1; i <= count; ++i) {
        zkvsim::DeviceSettings d;
        d.index = i;
        d.kind = zkvsim::DefaultKind(i);
        devices.push_back(d);
    }
    return devices;
}

}  // namespace zkvfilter
