// The decoder transform as an application meets it: camera frames of every
// FOURCC into contiguous and 2-D output buffers, with the pixels of
// ICM_DECOMPRESS the right way up, and the types and calls it refuses.
#include <mferror.h>

#include <cstring>
#include <string>

#include "TransformHarness.h"
#include "negotiation/FourccTable.h"

namespace {

constexpr UINT32 kWidth = 72;
constexpr UINT32 kHeight = 48;

class TransformTest : public MediaFoundationTest {
protected:
    // Sets the input type of the frame and the offered output type.
    void Negotiate(IMFTransform* transform, DWORD fourcc, UINT32 width, UINT32 height) {
        ComPtr<IMFMediaType> input;
        ASSERT_EQ(MakeVideoType(MFMediaType_Video, FourccGuid(fourcc), width, height, &input), S_OK);
        ASSERT_EQ(transform->SetInputType(0, input.Get(), 0), S_OK);
        ComPtr<IMFMediaType> output;
        ASSERT_EQ(transform->GetOutputAvailableType(0, 0, &output), S_OK);
        UINT32 stride = 0;
        EXPECT_EQ(output->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride), S_OK);
        EXPECT_EQ(static_cast<INT32>(stride), static_cast<INT32>(4 * width));
        ASSERT_EQ(transform->SetOutputType(0, output.Get(), 0), S_OK);
    }

    TransformDll dll_;
    CodecDll codec_;
};

HRESULT ProcessInto(IMFTransform* transform, IMFMediaBuffer* buffer, IMFSample** result) {
    ComPtr<IMFSample> sample;
    HRESULT hr = MFCreateSample(&sample);
    if (SUCCEEDED(hr)) hr = sample->AddBuffer(buffer);
    MFT_OUTPUT_DATA_BUFFER output = {0, sample.Get(), 0, nullptr};
    DWORD status = 0;
    if (SUCCEEDED(hr)) hr = transform->ProcessOutput(0, 1, &output, &status);
    if (SUCCEEDED(hr)) {
        sample->AddRef();
        *result = sample.Get();
    }
    return hr;
}

TEST_F(TransformTest, EveryFourccGivesTheCodecsPixelsTopDownInEitherBuffer) {
    ASSERT_NE(dll_.Module(), nullptr);
    ASSERT_NE(codec_.Proc(), nullptr);
    for (const FourccFormat& format : kAcceptedFormats) {
        for (const bool twoD : {false, true}) {
            SCOPED_TRACE(std::string(format.name) + (twoD ? " 2-D buffer" : " contiguous buffer"));
            std::vector<std::uint8_t> frame;
            LONGLONG time = 0;
            ASSERT_EQ(ReadCameraFrame(format.fourcc, kWidth, kHeight, &frame, &time), S_OK);
            const Reference reference = DecompressReference(codec_, format.fourcc, format.bitCount,
                                                            kWidth, kHeight, frame);

            ComPtr<IMFTransform> transform;
            ASSERT_EQ(dll_.Create(&transform), S_OK);
            Negotiate(transform.Get(), format.fourcc, kWidth, kHeight);
            MFT_OUTPUT_STREAM_INFO info{};
            ASSERT_EQ(transform->GetOutputStreamInfo(0, &info), S_OK);
            EXPECT_EQ(info.cbSize, 4 * kWidth * kHeight);
            EXPECT_EQ(info.dwFlags & MFT_OUTPUT_STREAM_PROVIDES_SAMPLES, 0u);

            ComPtr<IMFSample> input;
            ASSERT_EQ(MakeInputSample(frame, time, &input), S_OK);
            ASSERT_EQ(transform->ProcessInput(0, input.Get(), 0), S_OK);
            EXPECT_EQ(transform->ProcessInput(0, input.Get(), 0), MF_E_NOTACCEPTING);

            ComPtr<IMFMediaBuffer> buffer;
            if (twoD) {
                ASSERT_EQ(MFCreate2DMediaBuffer(kWidth, kHeight, 22, FALSE, &buffer), S_OK);
            } else {
                ASSERT_EQ(MFCreateMemoryBuffer(info.cbSize, &buffer), S_OK);
            }
            ComPtr<IMFSample> output;
            ASSERT_EQ(ProcessInto(transform.Get(), buffer.Get(), &output), S_OK);
            LONGLONG value = -1;
            EXPECT_EQ(output->GetSampleTime(&value), S_OK);
            EXPECT_EQ(value, time);
            EXPECT_EQ(output->GetSampleDuration(&value), S_OK);
            EXPECT_EQ(value, 333333);

            BYTE* data = nullptr;
            if (twoD) {
                ComPtr<IMF2DBuffer> twoDBuffer;
                ASSERT_EQ(buffer->QueryInterface(IID_IMF2DBuffer, twoDBuffer.Out()), S_OK);
                LONG pitch = 0;
                ASSERT_EQ(twoDBuffer->Lock2D(&data, &pitch), S_OK);
                EXPECT_TRUE(SameRows(data, pitch, reference, kWidth, kHeight));
                twoDBuffer->Unlock2D();
            } else {
                DWORD length = 0;
                ASSERT_EQ(buffer->Lock(&data, nullptr, &length), S_OK);
                EXPECT_EQ(length, 4 * kWidth * kHeight);
                EXPECT_TRUE(SameRows(data, 4 * kWidth, reference, kWidth, kHeight));
                buffer->Unlock();
            }
            ComPtr<IMFSample> none;
            EXPECT_EQ(ProcessInto(transform.Get(), buffer.Get(), &none), MF_E_TRANSFORM_NEED_MORE_INPUT);
        }
    }
}

struct InputRefusal {
    const char* what;
    GUID major;
    const char* fourcc;
    UINT32 width, height;
};

TEST_F(TransformTest, RefusesWhatTheCodecRefuses) {
    ASSERT_NE(dll_.Module(), nullptr);
    const InputRefusal inputs[] = {
        {"audio major type", MFMediaType_Audio, "RGB3", 64, 48},
        {"unknown subtype", MFMediaType_Video, "ABCD", 64, 48},
        {"YUV 4:2:2", MFMediaType_Video, "UYVY", 64, 48},
        {"edge sensing, three rows", MFMediaType_Video, "RGB3", 64, 3},
        {"Bayer, one column", MFMediaType_Video, "BGR1", 1, 48},
        {"no frame size", MFMediaType_Video, "Y800", 0, 0},
    };
    for (const InputRefusal& c : inputs) {
        ComPtr<IMFTransform> transform;
        ASSERT_EQ(dll_.Create(&transform), S_OK);
        ComPtr<IMFMediaType> type;
        ASSERT_EQ(MakeVideoType(c.major, FourccGuid(FourccOf(c.fourcc)), c.width, c.height, &type), S_OK);
        EXPECT_EQ(transform->SetInputType(0, type.Get(), MFT_SET_TYPE_TEST_ONLY), MF_E_INVALIDMEDIATYPE) << c.what;
        EXPECT_EQ(transform->SetInputType(0, type.Get(), 0), MF_E_INVALIDMEDIATYPE) << c.what;
    }

    ComPtr<IMFTransform> transform;
    ASSERT_EQ(dll_.Create(&transform), S_OK);
    ComPtr<IMFMediaType> type;
    ComPtr<IMFSample> sample;
    ASSERT_EQ(MakeInputSample(std::vector<std::uint8_t>(64 * 48), 0, &sample), S_OK);
    EXPECT_EQ(transform->ProcessInput(0, sample.Get(), 0), MF_E_TRANSFORM_TYPE_NOT_SET);
    EXPECT_EQ(transform->GetOutputAvailableType(0, 0, &type), MF_E_TRANSFORM_TYPE_NOT_SET);
    ASSERT_EQ(MakeVideoType(MFMediaType_Video, MFVideoFormat_RGB32, 64, 48, &type), S_OK);
    EXPECT_EQ(transform->SetOutputType(0, type.Get(), 0), MF_E_TRANSFORM_TYPE_NOT_SET);

    ASSERT_EQ(MakeVideoType(MFMediaType_Video, FourccGuid(FourccOf("RGB3")), 64, 48, &type), S_OK);
    ASSERT_EQ(transform->SetInputType(0, type.Get(), 0), S_OK);
    const struct {
        const char* what;
        GUID subtype;
        UINT32 width, height;
    } outputs[] = {
        {"another size", MFVideoFormat_RGB32, 64, 46},
        {"another subtype", MFVideoFormat_RGB24, 64, 48},
    };
    for (const auto& c : outputs) {
        ASSERT_EQ(MakeVideoType(MFMediaType_Video, c.subtype, c.width, c.height, &type), S_OK);
        EXPECT_EQ(transform->SetOutputType(0, type.Get(), 0), MF_E_INVALIDMEDIATYPE) << c.what;
    }
    ASSERT_EQ(MakeVideoType(MFMediaType_Video, MFVideoFormat_RGB32, 64, 48, &type), S_OK);
    ASSERT_EQ(type->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(-256)), S_OK);
    EXPECT_EQ(transform->SetOutputType(0, type.Get(), 0), MF_E_INVALIDMEDIATYPE) << "bottom-up";
    EXPECT_EQ(transform->ProcessInput(0, sample.Get(), 0), MF_E_TRANSFORM_TYPE_NOT_SET);

    ASSERT_EQ(MakeVideoType(MFMediaType_Video, MFVideoFormat_RGB32, 64, 48, &type), S_OK);
    ASSERT_EQ(transform->SetOutputType(0, type.Get(), 0), S_OK);
    ComPtr<IMFSample> shortSample;
    ASSERT_EQ(MakeInputSample(std::vector<std::uint8_t>(64 * 48 - 1), 0, &shortSample), S_OK);
    EXPECT_EQ(transform->ProcessInput(0, shortSample.Get(), 0), MF_E_BUFFERTOOSMALL);
    DWORD status = 0;
    EXPECT_EQ(transform->GetOutputStatus(&status), S_OK);
    EXPECT_EQ(status, 0u) << "the short frame is not kept";

    // A frame whose output buffer is too small waits for a usable one; a flush drops it.
    ASSERT_EQ(transform->ProcessInput(0, sample.Get(), 0), S_OK);
    ComPtr<IMFMediaBuffer> small;
    ASSERT_EQ(MFCreateMemoryBuffer(4 * 64 * 48 - 1, &small), S_OK);
    ComPtr<IMFSample> output;
    EXPECT_EQ(ProcessInto(transform.Get(), small.Get(), &output), MF_E_BUFFERTOOSMALL);
    EXPECT_EQ(transform->GetOutputStatus(&status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(MFT_OUTPUT_STATUS_SAMPLE_READY));
    EXPECT_EQ(transform->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0), S_OK);
    EXPECT_EQ(ProcessInto(transform.Get(), small.Get(), &output), MF_E_TRANSFORM_NEED_MORE_INPUT);

    // Drain: the waiting frame still comes out, new input waits until it has.
    ASSERT_EQ(transform->ProcessInput(0, sample.Get(), 0), S_OK);
    EXPECT_EQ(transform->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0), S_OK);
    ComPtr<IMFMediaBuffer> whole;
    ASSERT_EQ(MFCreateMemoryBuffer(4 * 64 * 48, &whole), S_OK);
    EXPECT_EQ(ProcessInto(transform.Get(), whole.Get(), &output), S_OK);
    EXPECT_EQ(transform->ProcessInput(0, sample.Get(), 0), MF_E_NOTACCEPTING);
    EXPECT_EQ(ProcessInto(transform.Get(), whole.Get(), &output), MF_E_TRANSFORM_NEED_MORE_INPUT);
    EXPECT_EQ(transform->ProcessMessage(MFT_MESSAGE_NOTIFY_END_OF_STREAM, 0), S_OK);
    EXPECT_EQ(transform->ProcessInput(0, sample.Get(), 0), S_OK);
}

}  // namespace
