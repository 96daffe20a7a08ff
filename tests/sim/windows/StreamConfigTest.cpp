// IAMStreamConfig on the capture pin: the capabilities the pages rely on,
// format changes with and without a connection.
#include "CameraTestSupport.h"

#include "FrameFormats.h"
#include "ZKVVirtualCameraControl.h"

using namespace simtest;

namespace {

class StreamConfigTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, BindDevice(0, &m_filter));
        *&m_pin = CapturePinOf(m_filter.Get());
        ASSERT_EQ(S_OK, m_pin->QueryInterface(IID_IAMStreamConfig, m_config.Out()));
        ASSERT_EQ(S_OK, m_filter->QueryInterface(IID_IZKVVirtualCameraControl, m_control.Out()));
    }
    void TearDown() override {
        m_control.Reset();
        m_config.Reset();
        m_pin.Reset();
        m_filter.Reset();
        ComTest::TearDown();
    }
    ULONG Peek(ULONG address) {
        ULONG value = 0;
        m_control->PeekRegister(address, &value);
        return value;
    }
    const VIDEOINFOHEADER* CurrentFormat(AM_MEDIA_TYPE** mt) {
        EXPECT_EQ(S_OK, m_config->GetFormat(mt));
        return reinterpret_cast<const VIDEOINFOHEADER*>((*mt)->pbFormat);
    }

    ComPtr<IBaseFilter> m_filter;
    ComPtr<IPin> m_pin;
    ComPtr<IAMStreamConfig> m_config;
    ComPtr<IZKVVirtualCameraControl> m_control;
};

}  // namespace

TEST_F(StreamConfigTest, CapabilitiesMarkFormat7BothWays) {
    int count = 0, size = 0;
    ASSERT_EQ(S_OK, m_config->GetNumberOfCapabilities(&count, &size));
    EXPECT_EQ(static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)), size);
    int standard = 0, format7 = 0;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        ASSERT_EQ(S_OK, m_config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)));
        ASSERT_TRUE(mt->formattype == FORMAT_VideoInfo);
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
        const zkvsim::FrameFormat* f = zkvsim::FindFrameFormat(vih->bmiHeader.biCompression);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(f->bitCount, vih->bmiHeader.biBitCount);
        EXPECT_EQ(zkvsim::FrameBytes(*f, vih->bmiHeader.biWidth, vih->bmiHeader.biHeight),
                  vih->bmiHeader.biSizeImage);
        if (vih->rcSource.bottom != 0) {
            ++format7;
            EXPECT_EQ(1, caps.MinCroppingSize.cx);
        } else {
            ++standard;
            EXPECT_NE(1, caps.MinCroppingSize.cx);
        }
        DeleteMediaType(mt);
    }
    EXPECT_EQ(count, standard + format7);
    EXPECT_GT(standard, 19);
    EXPECT_EQ(18, format7);
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(S_FALSE, m_config->GetStreamCaps(count, &mt, reinterpret_cast<BYTE*>(&caps)));
}

TEST_F(StreamConfigTest, SetFormatSwitchesTheCameraAndRefusesWhatItCannotDo) {
    AM_MEDIA_TYPE* uyvy = StreamCapsType(m_config.Get(), zkvsim::MakeFourcc('U', 'Y', 'V', 'Y'), 320, false);
    ASSERT_NE(nullptr, uyvy);
    ASSERT_EQ(S_OK, m_config->SetFormat(uyvy));
    DeleteMediaType(uyvy);
    EXPECT_EQ(0u, Peek(0x608));
    EXPECT_EQ(1u << 29, Peek(0x604));
    AM_MEDIA_TYPE* mt = nullptr;
    const VIDEOINFOHEADER* vih = CurrentFormat(&mt);
    EXPECT_EQ(320, vih->bmiHeader.biWidth);
    EXPECT_EQ(zkvsim::MakeFourcc('U', 'Y', 'V', 'Y'), vih->bmiHeader.biCompression);

    // A size no mode has is refused and changes nothing.
    auto* bad = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
    bad->bmiHeader.biWidth = 330;
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, m_config->SetFormat(mt));
    bad->bmiHeader.biWidth = 320;
    bad->bmiHeader.biHeight = -240;
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, m_config->SetFormat(mt));
    DeleteMediaType(mt);
    EXPECT_EQ(1u << 29, Peek(0x604));

    // Format 7 as the streaming page applies it: region in both rectangles.
    AM_MEDIA_TYPE* raw = StreamCapsType(m_config.Get(), zkvsim::MakeFourcc('R', 'G', 'B', '3'), 0, true);
    ASSERT_NE(nullptr, raw);
    auto* region = reinterpret_cast<VIDEOINFOHEADER*>(raw->pbFormat);
    SetRect(&region->rcSource, 8, 16, 8 + 320, 16 + 240);
    region->rcTarget = region->rcSource;
    region->bmiHeader.biWidth = 320;
    region->bmiHeader.biHeight = 240;
    ASSERT_EQ(S_OK, m_config->SetFormat(raw));
    EXPECT_EQ(0xE0000000u, Peek(0x608));
    vih = CurrentFormat(&mt);
    EXPECT_EQ(16 + 240, vih->rcSource.bottom);
    EXPECT_EQ(320, vih->bmiHeader.biWidth);
    EXPECT_EQ(320u * 240u, vih->bmiHeader.biSizeImage);
    DeleteMediaType(mt);
    // A region off the sensor's units is refused.
    SetRect(&region->rcSource, 6, 16, 6 + 320, 16 + 240);
    region->rcTarget = region->rcSource;
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, m_config->SetFormat(raw));
    DeleteMediaType(raw);
}

TEST_F(StreamConfigTest, ConnectedPinReconnectsWhenStoppedAndRefusesWhileRunning) {
    AM_MEDIA_TYPE* y800 = StreamCapsType(m_config.Get(), zkvsim::MakeFourcc('Y', '8', '0', '0'), 640, false);
    ASSERT_NE(nullptr, y800);
    ASSERT_EQ(S_OK, m_config->SetFormat(y800));
    {
        GrabberGraph graph;
        ASSERT_EQ(S_OK, graph.Build(m_filter.Get(), false));
        AM_MEDIA_TYPE* mono16 = StreamCapsType(m_config.Get(), zkvsim::MakeFourcc('Z', 'Y', '1', '6'), 640, false);
        ASSERT_NE(nullptr, mono16);
        ASSERT_EQ(S_OK, m_config->SetFormat(mono16));
        // Both ends of the link now carry the new format.
        AM_MEDIA_TYPE connected = {};
        ASSERT_EQ(S_OK, m_pin->ConnectionMediaType(&connected));
        EXPECT_EQ(zkvsim::MakeFourcc('Z', 'Y', '1', '6'),
                  reinterpret_cast<VIDEOINFOHEADER*>(connected.pbFormat)->bmiHeader.biCompression);
        FreeMediaType(connected);
        ComPtr<IPin> peer;
        ASSERT_EQ(S_OK, m_pin->ConnectedTo(&peer));
        ASSERT_EQ(S_OK, peer->ConnectionMediaType(&connected));
        EXPECT_EQ(2u * 640 * 480, reinterpret_cast<VIDEOINFOHEADER*>(connected.pbFormat)->bmiHeader.biSizeImage);
        FreeMediaType(connected);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        EXPECT_EQ(VFW_E_NOT_STOPPED, m_config->SetFormat(y800));
        EXPECT_EQ(0x80000000u, Peek(0x614));  // ISO_EN while streaming
        graph.Stop();
        EXPECT_EQ(0u, Peek(0x614));
        DeleteMediaType(mono16);
    }
    DeleteMediaType(y800);
}
