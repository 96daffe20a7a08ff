// The module of the decoder transform: its class table, entry point and
// registration. Registration writes the COM class and lists the transform
// among the video decoders with its input and output subtypes, so that the
// source reader and the topology loader find it.
#include <initguid.h>

#include "BaseClasses.h"
#include "mediafoundation/DecoderTransform.h"
#include "mediafoundation/DecoderTransformClasses.h"
#include "mediafoundation/MediaTypeRecords.h"

CFactoryTemplate g_Templates[] = {
    {ZKV_DECODER_TRANSFORM_NAME, &CLSID_ZKVDecoderTransform, CZKVDecoderTransform::CreateInstance,
     NULL},
};

int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pv) {
    return DllEntryPoint(hInstance, dwReason, pv);
}

namespace {

HRESULT RegisterTransform() {
    MFT_REGISTER_TYPE_INFO inputs[kAcceptedFormatCount];
    for (std::size_t i = 0; i < kAcceptedFormatCount; ++i) {
        inputs[i].guidMajorType = MFMediaType_Video;
        inputs[i].guidSubtype = FourccSubtype(kAcceptedFormats[i].fourcc);
    }
    MFT_REGISTER_TYPE_INFO output = {MFMediaType_Video, MFVideoFormat_RGB32};
    WCHAR name[] = ZKV_DECODER_TRANSFORM_NAME;
    return MFTRegister(CLSID_ZKVDecoderTransform, MFT_CATEGORY_VIDEO_DECODER, name, 0,
                       kAcceptedFormatCount, inputs, 1, &output, NULL);
}

// A transform that is not listed counts as unlisted.
HRESULT UnregisterTransform() {
    const HRESULT hr = MFTUnregister(CLSID_ZKVDecoderTransform);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

}  // namespace

STDAPI DllRegisterServer() {
    HRESULT hr = AMovieDllRegisterServer();
    if (SUCCEEDED(hr)) hr = RegisterTransform();
    return hr;
}

STDAPI DllUnregisterServer() {
    HRESULT hr = UnregisterTransform();
    if (SUCCEEDED(hr)) hr = AMovieDllUnregisterServer();
    return hr;
}
