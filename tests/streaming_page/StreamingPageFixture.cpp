#include "StreamingPageFixture.h"

namespace {

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

const auto* const g_com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

void StreamingPageTest::SetUp() {
    ASSERT_TRUE(OpenVirtualCamera("Bayer RGGB", &cam))
        << "no virtual Bayer RGGB camera among the video input devices";
    cam.control->ClearFaults();
    for (ULONG mode = 0; mode < 8; ++mode) cam.control->SetFormat7ModeAvailable(mode, mode < 3);
    SetStandardFormat(640, 480, Fourcc("RGB3"));
    ASSERT_EQ(host.Create(CLSID_ZKVStreamingConfigPage), S_OK);
}

void StreamingPageTest::TearDown() {
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{}) << "message boxes nobody looked at";
}

void StreamingPageTest::Open() {
    ASSERT_EQ(host.Connect(cam.pin), S_OK);
    ASSERT_EQ(host.Activate(), S_OK);
    ASSERT_NE(host.Dialog(), nullptr);
}

void StreamingPageTest::SetStandardFormat(int width, int height, std::uint32_t fourcc) {
    ASSERT_TRUE(SetFirstCapability(cam.config, [&](const VIDEOINFOHEADER& info,
                                                    const VIDEO_STREAM_CONFIG_CAPS& caps) {
        return info.rcSource.bottom == 0 && caps.MinCroppingSize.cx != 1 &&
               info.bmiHeader.biWidth == width && info.bmiHeader.biHeight == height &&
               info.bmiHeader.biCompression == fourcc;
    })) << width << "x" << height << " " << FourccText(fourcc);
}
