// What a program of this architecture finds after the package was installed
// (ZKV_EXPECT_INSTALLED=1) or removed (=0), with nothing else done: the
// compression manager's codec by FOURCC, the plug-in's classes by CLSID and
// the decoder transform among Media Foundation's video decoders.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <vfw.h>
#include <mfapi.h>
#include <mftransform.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CodecDll.h"
#include "FakeOuter.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"
#include "convert/FrameConverter.h"
#include "mediafoundation/MediaTypeRecords.h"
// Last: defines the transform's CLSID here.
#include <initguid.h>
#include "mediafoundation/DecoderTransformClasses.h"

namespace {

bool ExpectInstalled() {
    const char* v = std::getenv("ZKV_EXPECT_INSTALLED");
    return !v || std::strcmp(v, "0") != 0;
}

struct FormatCase {
    DWORD fourcc;
    WORD bitCount;
    ConverterKind kind;
    BayerTile tile;
};

TEST(InstalledCodec, DecodesABayerAYuvAndAMonoFrameAsTheReferenceDoes) {
    const FormatCase cases[] = {
        {mmioFOURCC('R', 'G', 'B', '3'), 8, ConverterKind::BayerEdge, BayerTile::RGGB},
        {mmioFOURCC('Z', 'Y', '4', '4'), 24, ConverterKind::Yuv444, BayerTile::None},
        {mmioFOURCC('Y', '8', '0', '0'), 8, ConverterKind::Mono8, BayerTile::None},
    };
    for (const FormatCase& c : cases) {
        const std::string name(reinterpret_cast<const char*>(&c.fourcc), 4);
        HIC hic = ICOpen(ICTYPE_VIDEO, c.fourcc, ICMODE_DECOMPRESS);
        if (!ExpectInstalled()) {
            EXPECT_EQ(nullptr, hic) << name;
            if (hic) ICClose(hic);
            continue;
        }
        ASSERT_NE(nullptr, hic) << name;
        const LONG w = 32, h = 24;
        BITMAPINFOHEADER in = Header(c.fourcc, c.bitCount, w, h);
        in.biSizeImage = static_cast<DWORD>(w * h * c.bitCount / 8);
        BITMAPINFOHEADER out = RgbHeader(w, h);
        ASSERT_EQ(ICERR_OK, ICDecompressBegin(hic, &in, &out)) << name;
        std::vector<std::uint8_t> frame(in.biSizeImage);
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 37 + i / 7);
        std::vector<std::uint8_t> image(out.biSizeImage), expected(out.biSizeImage);
        ASSERT_EQ(ICERR_OK, ICDecompress(hic, 0, &in, frame.data(), &out, image.data())) << name;
        kFrameConverters[static_cast<int>(c.kind)](&in, frame.data(), &out, expected.data(),
                                                   static_cast<DWORD>(c.tile));
        EXPECT_EQ(expected, image) << name;
        ICDecompressEnd(hic);
        ICClose(hic);
    }
}

// The handler aggregated into a stand-in for the capture filter, as the
// proxy creates it; the pages on their own, as a property frame does.
TEST(InstalledPlugin, CreatesTheHandlerAndThePagesByClsid) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const HRESULT expected = ExpectInstalled() ? S_OK : REGDB_E_CLASSNOTREG;
    FakeOuter filter;
    EXPECT_EQ(expected, CoCreateInstance(CLSID_ZKVInterfaceHandler, filter.AsUnknown(),
                                         CLSCTX_INPROC_SERVER, IID_IUnknown,
                                         reinterpret_cast<void**>(&filter.inner)));
    filter.ReleaseInner();
    for (const GUID* page :
         {&CLSID_ZKVStreamingConfigPage, &CLSID_ZKVVideoProcAmpPage, &CLSID_ZKVCameraControlPage}) {
        IPropertyPage* object = nullptr;
        EXPECT_EQ(expected, CoCreateInstance(*page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                             reinterpret_cast<void**>(&object)));
        if (object) object->Release();
    }
    CoUninitialize();
}

// An application's own search for a decoder from a camera subtype to RGB32
// in this architecture's registry view; the transform found is ours and
// loads from the path its class names.
TEST(InstalledDecoderTransform, IsFoundAmongTheVideoDecodersAndLoads) {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ASSERT_EQ(S_OK, MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET));
    for (const char* fourcc : {"RGB3", "ZY44", "Y800"}) {
        const MFT_REGISTER_TYPE_INFO input = {MFMediaType_Video, FourccSubtype(mmioFOURCC(
                                                                     fourcc[0], fourcc[1], fourcc[2], fourcc[3]))};
        const MFT_REGISTER_TYPE_INFO output = {MFMediaType_Video, MFVideoFormat_RGB32};
        IMFActivate** found = nullptr;
        UINT32 count = 0;
        ASSERT_EQ(S_OK, MFTEnumEx(MFT_CATEGORY_VIDEO_DECODER, MFT_ENUM_FLAG_SYNCMFT, &input, &output,
                                  &found, &count))
            << fourcc;
        int ours = 0;
        for (UINT32 i = 0; i < count; ++i) {
            GUID clsid = GUID_NULL;
            if (SUCCEEDED(found[i]->GetGUID(MFT_TRANSFORM_CLSID_Attribute, &clsid)) &&
                IsEqualGUID(clsid, CLSID_ZKVDecoderTransform)) {
                ++ours;
                IMFTransform* transform = nullptr;
                EXPECT_EQ(S_OK, found[i]->ActivateObject(IID_IMFTransform,
                                                         reinterpret_cast<void**>(&transform)))
                    << fourcc;
                if (transform) transform->Release();
                found[i]->ShutdownObject();
            }
            found[i]->Release();
        }
        CoTaskMemFree(found);
        EXPECT_EQ(ExpectInstalled() ? 1 : 0, ours) << fourcc;
    }
    MFShutdown();
    CoUninitialize();
}

}  // namespace
