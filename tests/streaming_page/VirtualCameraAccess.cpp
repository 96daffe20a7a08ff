#include "VirtualCameraAccess.h"

#include <cstdio>
#include <cstdlib>

VirtualCamera::~VirtualCamera() {
    if (camera) camera->Release();
    if (control) control->Release();
    if (config) config->Release();
    if (pin) pin->Release();
    if (filter) filter->Release();
}

namespace {

IPin* CaptureOutputPin(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) return nullptr;
    IPin* found = nullptr;
    IPin* pin = nullptr;
    while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT) {
            found = pin;
        } else {
            pin->Release();
        }
    }
    pins->Release();
    return found;
}

}  // namespace

static std::string FriendlyNameOf(IMoniker* moniker) {
    std::string result;
    IPropertyBag* bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
        return result;
    }
    VARIANT name;
    VariantInit(&name);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR) {
        char text[256] = {};
        WideCharToMultiByte(CP_ACP, 0, name.bstrVal, -1, text, sizeof text, nullptr, nullptr);
        result = text;
    }
    VariantClear(&name);
    bag->Release();
    return result;
}

bool OpenVirtualCamera(const std::string& label, VirtualCamera* camera) {
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICreateDevEnum, reinterpret_cast<void**>(&devices)))) {
        return false;
    }
    IEnumMoniker* monikers = nullptr;
    HRESULT hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    devices->Release();
    if (hr != S_OK) return false;

    const std::string suffix = "(" + label + ")";
    IMoniker* moniker = nullptr;
    while (camera->filter == nullptr && monikers->Next(1, &moniker, nullptr) == S_OK) {
        std::string name = FriendlyNameOf(moniker);
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                            reinterpret_cast<void**>(&camera->filter)))) {
            camera->name = name;
        }
        moniker->Release();
    }
    monikers->Release();
    if (camera->filter == nullptr) return false;

    camera->pin = CaptureOutputPin(camera->filter);
    if (camera->pin != nullptr) {
        camera->pin->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&camera->config));
    }
    camera->filter->QueryInterface(IID_IZKVVirtualCameraControl, reinterpret_cast<void**>(&camera->control));
    camera->filter->QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&camera->camera));
    return camera->config != nullptr && camera->control != nullptr && camera->camera != nullptr;
}

PinFormat CurrentPinFormat(IAMStreamConfig* config) {
    PinFormat format;
    AM_MEDIA_TYPE* mt = nullptr;
    if (SUCCEEDED(config->GetFormat(&mt)) && mt != nullptr) {
        if (mt->pbFormat != nullptr && mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
            format.valid = true;
            format.info = *reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
            format.subtype = mt->subtype;
        }
        DeleteMediaType(mt);
    }
    return format;
}

std::vector<PinCapability> PinCapabilities(IAMStreamConfig* config) {
    std::vector<PinCapability> result;
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size))) return result;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        PinCapability cap;
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&cap.caps)) != S_OK) continue;
        cap.info = *reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        DeleteMediaType(mt);
        result.push_back(cap);
    }
    return result;
}

std::string ResolutionOf(const VIDEOINFOHEADER& info) {
    char text[32];
    std::snprintf(text, sizeof text, "%ldx%ld", static_cast<long>(info.bmiHeader.biWidth),
                  std::labs(static_cast<long>(info.bmiHeader.biHeight)));
    return text;
}

std::string FourccText(std::uint32_t fourcc) {
    if (fourcc == 0) return "BI_RGB";
    return std::string{static_cast<char>(fourcc), static_cast<char>(fourcc >> 8),
                       static_cast<char>(fourcc >> 16), static_cast<char>(fourcc >> 24)};
}

Format7Request LastFormat7Request(IZKVVirtualCameraControl* control, bool set) {
    Format7Request request{};
    control->GetLastRequest(ZKV_PROPERTY_FORMAT7, set, reinterpret_cast<BYTE*>(&request), sizeof request);
    return request;
}

BufferCountRequest LastBufferCountRequest(IZKVVirtualCameraControl* control) {
    BufferCountRequest request{};
    control->GetLastRequest(ZKV_PROPERTY_BUFFER_COUNT, TRUE, reinterpret_cast<BYTE*>(&request),
                            sizeof request);
    return request;
}
