// regsvr32 lists the transform among the video decoders, a source reader
// over the virtual camera then decodes its frames by itself, and regsvr32 /u
// removes the listing again.
#include <string>

#include "TransformHarness.h"
#include "VirtualMediaSource.h"
#include "negotiation/FourccTable.h"

namespace {

const CLSID kTransformClsid = {0xc3394019, 0x1dab, 0x4301, {0xb6, 0x13, 0xa7, 0x46, 0x8d, 0x9f, 0xc9, 0x75}};

DWORD Regsvr32(const char* options) {
    std::string command = std::string("regsvr32.exe /s ") + options + " \"" + BinPath("BrisalMft.dll") + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// How many decoders from `fourcc` to RGB32 are ours.
int OursAmongDecoders(const char* fourcc) {
    const MFT_REGISTER_TYPE_INFO input = {MFMediaType_Video, FourccGuid(FourccOf(fourcc))};
    const MFT_REGISTER_TYPE_INFO output = {MFMediaType_Video, MFVideoFormat_RGB32};
    IMFActivate** activates = nullptr;
    UINT32 count = 0;
    if (FAILED(MFTEnumEx(MFT_CATEGORY_VIDEO_DECODER, MFT_ENUM_FLAG_SYNCMFT, &input, &output,
                         &activates, &count))) {
        return -1;
    }
    int ours = 0;
    for (UINT32 i = 0; i < count; ++i) {
        GUID clsid = GUID_NULL;
        if (SUCCEEDED(activates[i]->GetGUID(MFT_TRANSFORM_CLSID_Attribute, &clsid)) &&
            IsEqualGUID(clsid, kTransformClsid)) {
            ++ours;
        }
        activates[i]->Release();
    }
    CoTaskMemFree(activates);
    return ours;
}

class RegistrationTest : public MediaFoundationTest {
protected:
    void TearDown() override {
        Regsvr32("/u");
        MediaFoundationTest::TearDown();
    }
};

// The source reader asked for RGB32 over a camera stream of `fourcc` and the
// frame it delivers, against ICM_DECOMPRESS of the same camera frame.
void ReadThroughSourceReader(const CodecDll& codec, const FourccFormat& format) {
    SCOPED_TRACE(format.name);
    constexpr UINT32 kWidth = 64, kHeight = 48;
    ComPtr<IMFMediaSource> source;
    ASSERT_EQ(CreateVirtualMediaSource(format.fourcc, kWidth, kHeight, &source), S_OK);
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(MFCreateSourceReaderFromMediaSource(source.Get(), nullptr, &reader), S_OK);
    ComPtr<IMFMediaType> rgb;
    ASSERT_EQ(MakeVideoType(MFMediaType_Video, MFVideoFormat_RGB32, 0, 0, &rgb), S_OK);
    ASSERT_EQ(reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, nullptr, rgb.Get()), S_OK)
        << "the reader found no decoder";
    ComPtr<IMFMediaType> current;
    ASSERT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &current), S_OK);
    GUID subtype = GUID_NULL;
    EXPECT_EQ(current->GetGUID(MF_MT_SUBTYPE, &subtype), S_OK);
    EXPECT_TRUE(IsEqualGUID(subtype, MFVideoFormat_RGB32));
    ComPtr<IMFMediaType> native;
    ASSERT_EQ(reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, MF_SOURCE_READER_CURRENT_TYPE_INDEX, &native), S_OK);
    EXPECT_EQ(native->GetGUID(MF_MT_SUBTYPE, &subtype), S_OK);
    EXPECT_EQ(subtype.Data1, format.fourcc);

    for (int i = 0; i < 2; ++i) {
        DWORD stream = 0, flags = 0;
        LONGLONG time = -1;
        ComPtr<IMFSample> sample;
        ASSERT_EQ(reader->ReadSample(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &stream, &flags, &time,
                                     &sample),
                  S_OK);
        ASSERT_NE(sample.Get(), nullptr);
        std::vector<std::uint8_t> frame(FrameByteCount(format, kWidth, kHeight));
        ASSERT_EQ(PackVirtualFrame(format.fourcc, kWidth, kHeight, time / kVirtualFrameDuration,
                                   frame.data(), frame.size()),
                  frame.size());
        ComPtr<IMFMediaBuffer> buffer;
        ASSERT_EQ(sample->ConvertToContiguousBuffer(&buffer), S_OK);
        BYTE* data = nullptr;
        DWORD length = 0;
        ASSERT_EQ(buffer->Lock(&data, nullptr, &length), S_OK);
        ASSERT_EQ(length, 4 * kWidth * kHeight);
        const Reference reference =
            DecompressReference(codec, format.fourcc, format.bitCount, kWidth, kHeight, frame);
        EXPECT_TRUE(SameRows(data, 4 * kWidth, reference, kWidth, kHeight));
        buffer->Unlock();
    }
    source->Shutdown();
}

TEST_F(RegistrationTest, DecodersListItWhileRegisteredAndTheSourceReaderUsesIt) {
    Regsvr32("/u");
    ASSERT_EQ(OursAmongDecoders("RGB3"), 0);
    ASSERT_EQ(Regsvr32(""), 0u);
    for (const char* fourcc : {"RGB3", "ZY44", "Y800"}) EXPECT_EQ(OursAmongDecoders(fourcc), 1) << fourcc;
    EXPECT_EQ(OursAmongDecoders("UYVY"), 0);

    CodecDll codec;
    ASSERT_NE(codec.Proc(), nullptr);
    for (const FourccFormat& format : kAcceptedFormats) ReadThroughSourceReader(codec, format);

    ASSERT_EQ(Regsvr32("/u"), 0u);
    for (const char* fourcc : {"RGB3", "ZY44", "Y800"}) EXPECT_EQ(OursAmongDecoders(fourcc), 0) << fourcc;
    EXPECT_EQ(Regsvr32("/u"), 0u) << "unregistering twice is harmless";
}

}  // namespace
