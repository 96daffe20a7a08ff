#include "InstalledCameras.h"

#include <dshow.h>

#include "MediaType.h"
#include "ZKVVirtualCameraControl.h"

namespace {

constexpr ULONG SERIAL_NUMBER = 0x1F20;

template <class T>
void SafeRelease(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

std::string FriendlyName(IMoniker* moniker)
{
    std::string name;
    IPropertyBag* bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                      reinterpret_cast<void**>(&bag))))
        return name;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) {
        char text[256] = {};
        WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, text, sizeof text - 1, nullptr, nullptr);
        name = text;
    }
    VariantClear(&v);
    bag->Release();
    return name;
}

// The current format of the filter's first output pin that has one.
void ReadCaptureFormat(IBaseFilter* filter, InstalledCamera* camera)
{
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins)))
        return;
    IPin* pin = nullptr;
    while (camera->width == 0 && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        IAMStreamConfig* config = nullptr;
        AM_MEDIA_TYPE* mt = nullptr;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
            SUCCEEDED(pin->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&config))) &&
            SUCCEEDED(config->GetFormat(&mt)) && mt) {
            if (mt->formattype == FORMAT_VideoInfo && mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
                const BITMAPINFOHEADER& bmi =
                    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
                camera->width = bmi.biWidth;
                camera->height = bmi.biHeight < 0 ? -bmi.biHeight : bmi.biHeight;
                camera->compression = bmi.biCompression;
            }
            DeleteMediaType(mt);
        }
        SafeRelease(config);
        SafeRelease(pin);
    }
    pins->Release();
}

void ReadDevice(IMoniker* moniker, InstalledCamera* camera)
{
    camera->friendlyName = FriendlyName(moniker);
    IBaseFilter* filter = nullptr;
    if (FAILED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&filter))))
        return;
    camera->bound = true;
    IZKVVirtualCameraControl* control = nullptr;
    if (SUCCEEDED(filter->QueryInterface(IID_IZKVVirtualCameraControl,
                                         reinterpret_cast<void**>(&control)))) {
        camera->virtualCamera = true;
        control->PeekRegister(SERIAL_NUMBER, &camera->serialNumber);
        control->Release();
    }
    ReadCaptureFormat(filter, camera);
    ISpecifyPropertyPages* specify = nullptr;
    if (SUCCEEDED(filter->QueryInterface(IID_ISpecifyPropertyPages,
                                         reinterpret_cast<void**>(&specify)))) {
        CAUUID pages = {0, nullptr};
        if (SUCCEEDED(specify->GetPages(&pages))) {
            camera->pageCount = pages.cElems;
            CoTaskMemFree(pages.pElems);
        }
        specify->Release();
    }
    filter->Release();
}

}  // namespace

std::vector<InstalledCamera> InstalledCameras()
{
    std::vector<InstalledCamera> cameras;
    ICreateDevEnum* devEnum = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devEnum))))
        return cameras;
    IEnumMoniker* monikers = nullptr;
    if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) == S_OK) {
        IMoniker* moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK) {
            InstalledCamera camera;
            ReadDevice(moniker, &camera);
            cameras.push_back(camera);
            SafeRelease(moniker);
        }
        monikers->Release();
    }
    devEnum->Release();
    return cameras;
}
