// The Format 7 group: entering and leaving the view, mode and pixel-format
// changes, Apply with its messages, and the saved standard format of each
// camera.
#include <algorithm>

#include "StreamingPageFixture.h"

namespace {

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

const int kFormat7Controls[] = {IDC_UNIT_X,       IDC_UNIT_Y,        IDC_MAX_IMAGE_SIZE,
                                IDC_FORMAT7_WIDTH, IDC_FORMAT7_HEIGHT, IDC_FORMAT7_LEFT,
                                IDC_FORMAT7_TOP,   IDC_APPLY_FORMAT7,  IDC_FORMAT7_SPEED,
                                IDC_PIXEL_FORMAT,  IDC_FORMAT7_MODE};

class Format7Test : public StreamingPageTest {
protected:
    void ExpectFormat7View(PageHost& page, bool shown) {
        EXPECT_EQ(page.Checked(IDC_ENABLE_FORMAT7), shown);
        EXPECT_EQ(page.Enabled(IDC_RESOLUTION), !shown);
        for (int id : kFormat7Controls) EXPECT_EQ(page.Enabled(id), shown) << id;
    }
    void SetRegion(const char* top, const char* left, const char* width, const char* height,
                   const char* speed) {
        host.SetText(IDC_FORMAT7_TOP, top);
        host.SetText(IDC_FORMAT7_LEFT, left);
        host.SetText(IDC_FORMAT7_WIDTH, width);
        host.SetText(IDC_FORMAT7_HEIGHT, height);
        host.SetText(IDC_FORMAT7_SPEED, speed);
    }
};

TEST_F(Format7Test, TheBoxIsDisabledWhenMode0IsUnavailable) {
    cam.control->SetFormat7ModeAvailable(0, FALSE);
    Open();
    EXPECT_FALSE(host.Enabled(IDC_ENABLE_FORMAT7));
    ASSERT_EQ(host.Deactivate(), S_OK);

    // A query the camera fails is no answer: the mode counts as unavailable.
    cam.control->SetFormat7ModeAvailable(0, TRUE);
    cam.control->SetFault(ZKV_FAULT_FORMAT7_GET, 0, E_FAIL);
    ASSERT_EQ(host.Activate(), S_OK);
    EXPECT_FALSE(host.Enabled(IDC_ENABLE_FORMAT7));
    ASSERT_EQ(host.Deactivate(), S_OK);

    cam.control->ClearFaults();
    ASSERT_EQ(host.Activate(), S_OK);
    EXPECT_TRUE(host.Enabled(IDC_ENABLE_FORMAT7));
}

TEST_F(Format7Test, EnteringTheViewLoadsTheCurrentModeWithoutTouchingThePin) {
    cam.control->SetFormat7ModeAvailable(5, TRUE);
    cam.control->SetFormat7ModeAvailable(7, TRUE);
    Open();
    host.Click(IDC_ENABLE_FORMAT7);
    ExpectFormat7View(host, true);

    EXPECT_EQ(host.Items(IDC_FORMAT7_MODE), (std::vector<std::string>{"0", "1", "2", "5"}));
    EXPECT_EQ(host.Selection(IDC_FORMAT7_MODE), "0");
    Format7Request mode0{};
    mode0.mode = 0;
    ASSERT_EQ(cam.camera->GetFormat7(&mode0), S_OK);
    EXPECT_EQ(host.Text(IDC_UNIT_X), std::to_string(mode0.horizontalUnit));
    EXPECT_EQ(host.Text(IDC_UNIT_Y), std::to_string(mode0.verticalUnit));
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "1024 x 768");
    EXPECT_EQ(host.Text(IDC_FORMAT7_WIDTH), std::to_string(mode0.width));
    EXPECT_EQ(host.Text(IDC_FORMAT7_HEIGHT), std::to_string(mode0.height));
    EXPECT_EQ(host.Text(IDC_FORMAT7_TOP), "0");
    EXPECT_EQ(host.Text(IDC_FORMAT7_SPEED), "100");

    // Every pixel format of the mode, 8-bit mono under both its names; the
    // camera's current Raw8 is selected and opens the Bayer conversions.
    EXPECT_EQ(Sorted(host.Items(IDC_PIXEL_FORMAT)),
              Sorted({"Y800", "Y(Mono)", "YUV(4:1:1)", "YUV(4:2:2)", "YUV(4:4:4)", "Y(Mono16)", "Raw8"}));
    EXPECT_EQ(host.Items(IDC_PIXEL_FORMAT).front(), "Raw8");
    EXPECT_EQ(host.Selection(IDC_PIXEL_FORMAT), "Raw8");
    EXPECT_TRUE(host.Enabled(IDC_CONVERSION));
    std::vector<std::string> conversions = host.Items(IDC_CONVERSION);
    for (const char* name : {"RGGB Nearest Neighbor Fast", "BGGR Edge Sensing", "GRBG Nearest Neighbor",
                             "GBRG Edge Sensing"}) {
        EXPECT_TRUE(Contains(conversions, name)) << name;
    }
    for (const char* name : {"YUV(4:2:2)", "RGB24", "Y(Mono16)"}) {
        EXPECT_FALSE(Contains(conversions, name)) << name << " is no 8-bit Format 7 subtype";
    }
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);

    PinFormat pin = CurrentPinFormat(cam.config);
    EXPECT_EQ(pin.info.rcSource.bottom, 0);
    EXPECT_EQ(pin.info.bmiHeader.biCompression, Fourcc("RGB3"));
    // Checked, the box keeps the general choice from being committed.
    host.Select(IDC_CONVERSION, "BGGR Edge Sensing");
    ASSERT_EQ(host.Deactivate(), S_OK);
    EXPECT_EQ(CurrentPinFormat(cam.config).info.rcSource.bottom, 0);
    EXPECT_EQ(CurrentPinFormat(cam.config).info.bmiHeader.biCompression, Fourcc("RGB3"));
}

TEST_F(Format7Test, TheCameraInFormat7ShowsItsModeAndEightBitMonoAsYMono) {
    ASSERT_EQ(cam.camera->SetFormat7(1, 0, 0, 512, 384, 100, ZKV_PIXEL_MONO8), S_OK);
    Open();
    // Whether or not the pin followed the camera into Format 7, the view
    // shows the camera's mode.
    if (!host.Checked(IDC_ENABLE_FORMAT7)) host.Click(IDC_ENABLE_FORMAT7);
    ExpectFormat7View(host, true);
    EXPECT_EQ(host.Selection(IDC_FORMAT7_MODE), "1");
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "512 x 384");
    EXPECT_EQ(host.Selection(IDC_PIXEL_FORMAT), "Y(Mono)");
    EXPECT_FALSE(host.Enabled(IDC_CONVERSION));
}

TEST_F(Format7Test, ACurrentModeThatIsGoneIsReportedAndTheViewStillOpens) {
    cam.control->PokeRegister(kCurVFormat, 0xE0000000u);
    cam.control->PokeRegister(kCurVMode, 2u << 29);
    cam.control->SetFormat7ModeAvailable(2, FALSE);
    Open();
    if (!host.Checked(IDC_ENABLE_FORMAT7)) host.Click(IDC_ENABLE_FORMAT7);
    std::vector<CapturedBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsBox(shown[0], "Message", "Format 7 is unavailable"));
    EXPECT_FALSE(shown[0].owned);
    EXPECT_EQ(host.Items(IDC_FORMAT7_MODE), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(host.Selection(IDC_FORMAT7_MODE), "");
    ExpectFormat7View(host, true);
}

TEST_F(Format7Test, ModeChangesAdjustTheRegionAndThePixelFormats) {
    Open();
    host.Click(IDC_ENABLE_FORMAT7);
    host.SetText(IDC_FORMAT7_WIDTH, "1000");
    host.SetText(IDC_FORMAT7_HEIGHT, "300");

    host.Select(IDC_FORMAT7_MODE, "1");
    EXPECT_EQ(host.Text(IDC_UNIT_X), "8");
    EXPECT_EQ(host.Text(IDC_UNIT_Y), "4");
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "512 x 384");
    EXPECT_EQ(host.Text(IDC_FORMAT7_WIDTH), "512") << "lowered to the new maximum";
    EXPECT_EQ(host.Text(IDC_FORMAT7_HEIGHT), "300") << "smaller values stay";
    EXPECT_EQ(Sorted(host.Items(IDC_PIXEL_FORMAT)), Sorted({"Y800", "Y(Mono)", "YUV(4:2:2)"}));
    EXPECT_EQ(host.Selection(IDC_PIXEL_FORMAT), host.Items(IDC_PIXEL_FORMAT).front());
    EXPECT_FALSE(host.Enabled(IDC_CONVERSION)) << "a mode without Raw8 has no conversion to pick";

    host.SetText(IDC_FORMAT7_WIDTH, "333");  // not a multiple of any unit: kept as typed
    host.Select(IDC_FORMAT7_MODE, "2");
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "640 x 480");
    EXPECT_EQ(host.Text(IDC_FORMAT7_WIDTH), "333");
    EXPECT_EQ(host.Text(IDC_FORMAT7_HEIGHT), "300");
    EXPECT_EQ(host.Selection(IDC_PIXEL_FORMAT), "Raw8");
    EXPECT_TRUE(host.Enabled(IDC_CONVERSION));
    EXPECT_FALSE(host.Items(IDC_CONVERSION).empty());

    host.Select(IDC_PIXEL_FORMAT, "Y800");
    EXPECT_FALSE(host.Enabled(IDC_CONVERSION));
    host.Select(IDC_PIXEL_FORMAT, "Raw8");
    EXPECT_TRUE(host.Enabled(IDC_CONVERSION));

    // A mode the camera no longer offers, or fails to describe, is refused.
    cam.control->SetFormat7ModeAvailable(0, FALSE);
    host.Select(IDC_FORMAT7_MODE, "0");
    cam.control->SetFault(ZKV_FAULT_FORMAT7_GET, 1, E_FAIL);
    host.Select(IDC_FORMAT7_MODE, "1");
    std::vector<CapturedBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(IsBox(shown[0], "Mode unavailable", "Mode 0 is unavailable!"));
    EXPECT_TRUE(IsBox(shown[1], "Mode unavailable", "Mode 1 is unavailable!"));
    EXPECT_FALSE(shown[0].owned);
    EXPECT_EQ(host.Selection(IDC_FORMAT7_MODE), "2");
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "640 x 480");
}

TEST_F(Format7Test, ApplyProgramsTheCameraThenGivesThePinTheRegion) {
    Open();
    host.Click(IDC_ENABLE_FORMAT7);
    SetRegion("8", "16", "320", "240", "50");
    host.Select(IDC_CONVERSION, "BGGR Nearest Neighbor");
    host.Click(IDC_APPLY_FORMAT7);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});

    Format7Request sent = LastFormat7Request(cam.control, true);
    EXPECT_EQ(sent.mode, 0u);
    EXPECT_EQ(sent.left, 16u);
    EXPECT_EQ(sent.top, 8u);
    EXPECT_EQ(sent.width, 320u);
    EXPECT_EQ(sent.height, 240u);
    EXPECT_EQ(sent.speed, 50u);
    EXPECT_EQ(sent.pixelFormat, static_cast<std::uint32_t>(ZKV_PIXEL_RAW8));

    PinFormat pin = CurrentPinFormat(cam.config);
    ASSERT_TRUE(pin.valid);
    EXPECT_EQ(pin.info.bmiHeader.biCompression, Fourcc("BGR2"));
    EXPECT_EQ(pin.info.bmiHeader.biWidth, 320);
    EXPECT_EQ(pin.info.bmiHeader.biHeight, 240);
    for (const RECT& r : {pin.info.rcSource, pin.info.rcTarget}) {
        EXPECT_EQ(r.left, 16);
        EXPECT_EQ(r.top, 8);
        EXPECT_EQ(r.right, 336);
        EXPECT_EQ(r.bottom, 248);
    }

    // A page opened on the pin now comes up in the Format 7 view.
    ASSERT_EQ(host.Deactivate(), S_OK);
    host.Disconnect();
    PageHost second;
    ASSERT_EQ(second.Create(CLSID_ZKVStreamingConfigPage), S_OK);
    ASSERT_EQ(second.Connect(cam.pin), S_OK);
    ASSERT_EQ(second.Activate(), S_OK);
    ExpectFormat7View(second, true);
    EXPECT_EQ(second.Selection(IDC_FORMAT7_MODE), "0");
    EXPECT_EQ(second.Selection(IDC_PIXEL_FORMAT), "Raw8");
    EXPECT_EQ(second.Selection(IDC_CONVERSION), "BGGR Nearest Neighbor");
    EXPECT_TRUE(second.Items(IDC_RESOLUTION).empty());
}

TEST_F(Format7Test, TheTwoMonoNamesSendOneFormatAndSetTheirOwnSubtypes) {
    Open();
    host.Click(IDC_ENABLE_FORMAT7);
    host.Select(IDC_FORMAT7_MODE, "2");
    SetRegion("0", "0", "640", "480", "100");
    for (const auto& [name, fourcc] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"Y800", Fourcc("Y800")}, {"Y(Mono)", Fourcc("ZKVY")}}) {
        host.Select(IDC_PIXEL_FORMAT, name);
        host.Click(IDC_APPLY_FORMAT7);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{}) << name;
        EXPECT_EQ(LastFormat7Request(cam.control, true).pixelFormat,
                  static_cast<std::uint32_t>(ZKV_PIXEL_MONO8));
        EXPECT_EQ(LastFormat7Request(cam.control, true).mode, 2u);
        PinFormat pin = CurrentPinFormat(cam.config);
        EXPECT_EQ(pin.info.bmiHeader.biCompression, fourcc) << name;
        EXPECT_NE(pin.info.rcSource.bottom, 0);
    }
}

TEST_F(Format7Test, ApplyReportsFieldsThatDoNotTranslateAndRefusals) {
    Open();
    host.Click(IDC_ENABLE_FORMAT7);
    PinFormat before = CurrentPinFormat(cam.config);

    // Every empty field has its box; the camera gets 0 for it and its refusal
    // brings no further box.
    SetRegion("", "", "", "", "");
    host.Click(IDC_APPLY_FORMAT7);
    std::vector<CapturedBox> shown = boxes.Take();
    std::vector<std::string> texts;
    for (const CapturedBox& box : shown) {
        texts.push_back(box.caption + ": " + box.text);
        EXPECT_TRUE(box.owned) << box.text;
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Error: Invalid Setting: Pixel Top Value",
                                               "Error: Invalid Setting: Pixel Left Value",
                                               "Error: Invalid Setting: Speed Percentage",
                                               "Error: Invalid Setting: Image Width",
                                               "Error: Invalid Setting: Image Height"}));
    Format7Request sent = LastFormat7Request(cam.control, true);
    EXPECT_EQ(sent.top, 0u);
    EXPECT_EQ(sent.width, 0u);
    EXPECT_EQ(sent.speed, 0u);

    // A refusal by the camera is reported with its code; the pin stays.
    SetRegion("0", "0", "640", "480", "100");
    cam.control->SetFault(ZKV_FAULT_FORMAT7_SET, ZKV_FAULT_ANY_KEY, static_cast<HRESULT>(0x80070057));
    host.Click(IDC_APPLY_FORMAT7);
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsBox(shown[0], "Error", "Could not apply Format 7 settings! Error code: 80070057"));
    EXPECT_TRUE(shown[0].owned);
    EXPECT_EQ(CurrentPinFormat(cam.config).info.bmiHeader.biCompression,
              before.info.bmiHeader.biCompression);
    EXPECT_EQ(CurrentPinFormat(cam.config).info.rcSource.bottom, 0);

    // An empty field with a refusal: only the field's box.
    host.SetText(IDC_FORMAT7_SPEED, "");
    host.Click(IDC_APPLY_FORMAT7);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Invalid Setting: Speed Percentage"});
    cam.control->ClearFaults();

    // Accepted, but the camera's registers do not show the mode: reported,
    // and the pin gets the Format 7 media type all the same.
    host.SetText(IDC_FORMAT7_SPEED, "100");
    cam.control->SetFault(ZKV_FAULT_REGISTER_GET, kCurVFormat, E_FAIL);
    host.Click(IDC_APPLY_FORMAT7);
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsBox(shown[0], "Error", "Format or mode does not match!"));
    EXPECT_NE(CurrentPinFormat(cam.config).info.rcSource.bottom, 0);
}

TEST_F(Format7Test, LeavingTheViewRestoresTheSavedStandardFormatAcrossFrames) {
    SetStandardFormat(800, 600, Fourcc("UYVY"));
    {
        Open();
        host.Click(IDC_ENABLE_FORMAT7);  // saves 800x600 YUV(4:2:2) for this camera
        SetRegion("0", "0", "640", "480", "100");
        host.Click(IDC_APPLY_FORMAT7);
        ASSERT_NE(CurrentPinFormat(cam.config).info.rcSource.bottom, 0);
        ASSERT_EQ(host.Deactivate(), S_OK);
        host.Disconnect();
    }
    // The frame is closed; a new page for the same camera opens in the view.
    PageHost second;
    ASSERT_EQ(second.Create(CLSID_ZKVStreamingConfigPage), S_OK);
    ASSERT_EQ(second.Connect(cam.pin), S_OK);
    ASSERT_EQ(second.Activate(), S_OK);
    ExpectFormat7View(second, true);

    second.Click(IDC_ENABLE_FORMAT7);
    ExpectFormat7View(second, false);
    PinFormat pin = CurrentPinFormat(cam.config);
    EXPECT_EQ(pin.info.rcSource.bottom, 0);
    EXPECT_EQ(pin.info.bmiHeader.biWidth, 800);
    EXPECT_EQ(pin.info.bmiHeader.biHeight, 600);
    EXPECT_EQ(pin.info.bmiHeader.biCompression, Fourcc("UYVY"));
    EXPECT_EQ(second.Selection(IDC_RESOLUTION), "800x600");
    EXPECT_EQ(second.Selection(IDC_CONVERSION), "YUV(4:2:2)");

    // Within one activation the refilled resolution list gains nothing twice.
    std::vector<std::string> resolutions = second.Items(IDC_RESOLUTION);
    second.Click(IDC_ENABLE_FORMAT7);
    second.Click(IDC_ENABLE_FORMAT7);
    EXPECT_EQ(second.Items(IDC_RESOLUTION), resolutions);
}

TEST_F(Format7Test, EachCameraRestoresItsOwnSavedFormat) {
    VirtualCamera other;
    ASSERT_TRUE(OpenVirtualCamera("YUV", &other)) << "no virtual YUV camera";
    other.control->ClearFaults();
    ASSERT_TRUE(SetFirstCapability(other.config, [](const VIDEOINFOHEADER& info,
                                                    const VIDEO_STREAM_CONFIG_CAPS& caps) {
        return info.rcSource.bottom == 0 && caps.MinCroppingSize.cx != 1 &&
               info.bmiHeader.biWidth == 320 && info.bmiHeader.biCompression == Fourcc("UYVY");
    }));
    SetStandardFormat(1024, 768, Fourcc("UYVY"));

    Open();
    PageHost otherPage;
    ASSERT_EQ(otherPage.Create(CLSID_ZKVStreamingConfigPage), S_OK);
    ASSERT_EQ(otherPage.Connect(other.pin), S_OK);
    ASSERT_EQ(otherPage.Activate(), S_OK);

    host.Click(IDC_ENABLE_FORMAT7);       // this camera saves 1024x768
    otherPage.Click(IDC_ENABLE_FORMAT7);  // the other one 320x240, later
    host.Click(IDC_APPLY_FORMAT7);
    otherPage.Click(IDC_APPLY_FORMAT7);
    host.Click(IDC_ENABLE_FORMAT7);
    otherPage.Click(IDC_ENABLE_FORMAT7);

    EXPECT_EQ(CurrentPinFormat(cam.config).info.bmiHeader.biWidth, 1024);
    EXPECT_EQ(CurrentPinFormat(other.config).info.bmiHeader.biWidth, 320);
    EXPECT_EQ(CurrentPinFormat(other.config).info.rcSource.bottom, 0);
}

TEST_F(Format7Test, LeavingTheViewWithNothingSavedKeepsTheFormat7View) {
    // Put the pin into a Format 7 media type behind the page's back.
    ASSERT_TRUE(SetFirstCapability(cam.config, [](const VIDEOINFOHEADER& info,
                                                  const VIDEO_STREAM_CONFIG_CAPS& caps) {
        return caps.MinCroppingSize.cx == 1 && info.bmiHeader.biCompression == Fourcc("RGB3");
    }));
    // Without its serial number the camera is known by its filter, for
    // which this process has saved nothing.
    cam.control->SetFault(ZKV_FAULT_REGISTER_GET, 0x1F20, E_FAIL);
    Open();
    ExpectFormat7View(host, true);
    host.Click(IDC_ENABLE_FORMAT7);
    ExpectFormat7View(host, true);
    EXPECT_NE(CurrentPinFormat(cam.config).info.rcSource.bottom, 0);
}

}  // namespace
