// The feature rows of the video proc amp page, driven against a virtual camera:
// set-up from the inquiry and control registers, sliders, Auto, On/Off, the
// absolute mode switch and the periodic refresh.
#include <cstring>

#include "VideoProcAmpPageIds.h"
#include "VpaPageFixture.h"

namespace {

constexpr ULONG kPresence = 0x80000000, kAbsInq = 0x40000000, kOnOffInq = 0x04000000,
                kAutoInq = 0x02000000, kManualInq = 0x01000000;
constexpr ULONG kAbsControl = 0x40000000, kOn = 0x02000000, kAuto = 0x01000000;
constexpr ULONG kEverything = kPresence | kAbsInq | kOnOffInq | kAutoInq | kManualInq;

// Control registers of the rows' features, and the absolute triples' bases.
constexpr ULONG kBrightness = 0x800, kSharpness = 0x808, kWhiteBalance = 0x80C, kHue = 0x810,
                kSaturation = 0x814, kGamma = 0x818, kShutter = 0x81C, kGain = 0x820;
constexpr ULONG kAbsShutter = 0x910, kAbsGain = 0x920, kAbsBrightness = 0x930, kAbsGamma = 0x940,
                kAbsHue = 0x970, kAbsSaturation = 0x980;
constexpr ULONG kAllControls[] = {kBrightness, kHue, kSaturation, kGamma, kGain, kShutter, kSharpness,
                                  kWhiteBalance};

ULONG Bits(float f) {
    ULONG bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class VpaRows : public VpaPageTest {
protected:
    // A feature as the camera reports it: the inquiry's capability bits (its
    // integer range is kept), the control register, the absolute triple.
    void Feature(ULONG control, ULONG inquiry, ULONG ctl) {
        Poke(control - 0x300, (Peek(control - 0x300) & 0x00FFFFFF) | inquiry);
        Poke(control, ctl);
    }
    void Triple(ULONG base, float min, float max, float value) {
        PokeFloat(base, min);
        PokeFloat(base + 4, max);
        PokeFloat(base + 8, value);
    }
    // Every feature present with all capabilities, on and manual.
    void StandardCamera() {
        for (ULONG control : kAllControls) Feature(control, kEverything, kOn | 0x20);
        Triple(kAbsBrightness, 0.0f, 100.0f, 25.0f);
        Triple(kAbsHue, -180.0f, 180.0f, -10.0f);
        Triple(kAbsSaturation, 0.0f, 400.0f, 100.0f);
        Triple(kAbsGamma, 0.5f, 4.0f, 1.0f);
        Triple(kAbsGain, 0.0f, 24.0f, 6.0f);
        Triple(kAbsShutter, 0.0f, 0.066f, 0.005f);
    }
};

TEST_F(VpaRows, SetupFollowsTheInquiryAndControlRegisters) {
    StandardCamera();
    Feature(kHue, 0, kOn);                                             // absent
    Feature(kSaturation, kPresence | kOnOffInq | kAutoInq, kOn | kAuto | 0x123);  // relative, automatic
    Feature(kGamma, kPresence | kAbsInq | kManualInq, kAuto);          // no Auto or On/Off box
    Feature(kShutter, kPresence | kAbsInq | kOnOffInq | kAutoInq, 0);  // off, no Manual_Inq
    Triple(kAbsShutter, 0.0f, 0.066f, 0.005f);  // the control poke moved it
    ClearWrites();
    OpenPage();
    EXPECT_TRUE(boxes->Take().empty());

    // Absolute brightness: 25 of 0..100.
    EXPECT_EQ(SliderRange(IDC_BRIGHTNESS_SLIDER), std::make_pair(0, 1000));
    EXPECT_EQ(SliderPos(IDC_BRIGHTNESS_SLIDER), 250);
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "25.00 %");
    EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_SLIDER));
    EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_AUTO));
    EXPECT_FALSE(Checked(IDC_BRIGHTNESS_AUTO));
    EXPECT_TRUE(Checked(IDC_BRIGHTNESS_ONOFF));
    EXPECT_EQ(Text(IDC_GAIN_TEXT), "6.00 dB");
    EXPECT_EQ(Text(IDC_SHUTTER_TEXT), "5.00 ms");

    // Absent hue: hidden and "n/a".
    EXPECT_FALSE(Visible(IDC_HUE_SLIDER));
    EXPECT_FALSE(Enabled(IDC_HUE_SLIDER));
    EXPECT_FALSE(Enabled(IDC_HUE_LABEL));
    EXPECT_FALSE(Enabled(IDC_HUE_TEXT));
    EXPECT_EQ(Text(IDC_HUE_TEXT), "n/a");
    EXPECT_FALSE(Visible(IDC_HUE_AUTO));
    EXPECT_FALSE(Visible(IDC_HUE_ONOFF));

    // Relative saturation in automatic mode: the camera's integer value.
    long min = 0, max = 0, step, def, caps;
    ASSERT_EQ(camera.procAmp->GetRange(VideoProcAmp_Saturation, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(SliderRange(IDC_SATURATION_SLIDER), std::make_pair(static_cast<int>(min), static_cast<int>(max)));
    long flags = 0;
    const long saturation = ProcAmpValue(VideoProcAmp_Saturation, &flags);
    EXPECT_EQ(SliderPos(IDC_SATURATION_SLIDER), saturation & 0xFFF);
    EXPECT_EQ(Text(IDC_SATURATION_TEXT), std::to_string(saturation & 0xFFF));
    EXPECT_EQ(Checked(IDC_SATURATION_AUTO), flags == VideoProcAmp_Flags_Auto);
    EXPECT_EQ(Enabled(IDC_SATURATION_SLIDER), flags != VideoProcAmp_Flags_Auto);

    // Gamma without Auto_Inq and On_Off_Inq: both boxes hidden, slider manual.
    EXPECT_FALSE(Visible(IDC_GAMMA_AUTO));
    EXPECT_FALSE(Checked(IDC_GAMMA_AUTO));
    EXPECT_FALSE(Visible(IDC_GAMMA_ONOFF));
    EXPECT_TRUE(Enabled(IDC_GAMMA_SLIDER));

    // Shutter off without Manual_Inq: slider and Auto box disabled.
    EXPECT_FALSE(Enabled(IDC_SHUTTER_SLIDER));
    EXPECT_FALSE(Checked(IDC_SHUTTER_ONOFF));
    EXPECT_FALSE(Enabled(IDC_SHUTTER_AUTO));

    // White balance blue has no boxes of its own and starts disabled.
    EXPECT_FALSE(Enabled(IDC_WB_BLUE_SLIDER));

    // Each present feature's control register is written with Abs_Control for
    // the absolute rows only; the absent one is never written.
    EXPECT_TRUE(WritesTo(kHue).empty());
    for (ULONG control : {kBrightness, kGamma, kGain, kShutter}) {
        auto w = WritesTo(control);
        ASSERT_FALSE(w.empty()) << std::hex << control;
        EXPECT_EQ(w.back().second & kAbsControl, kAbsControl) << std::hex << control;
    }
    for (ULONG control : {kSaturation, kSharpness, kWhiteBalance}) {
        auto w = WritesTo(control);
        ASSERT_FALSE(w.empty()) << std::hex << control;
        EXPECT_EQ(w.back().second & kAbsControl, 0u) << std::hex << control;
    }
    // The write keeps every other bit as read.
    EXPECT_EQ(WritesTo(kGamma).back().second & (kAuto | kAbsControl), kAuto | kAbsControl);
}

TEST_F(VpaRows, AbsoluteModeSwitchRewritesEveryControlRegister) {
    StandardCamera();
    Feature(kHue, 0, 0);
    OpenPage();
    EXPECT_TRUE(Checked(IDC_ABSOLUTE_MODE));
    ClearWrites();
    Click(IDC_ABSOLUTE_MODE);
    for (ULONG control : kAllControls) {
        auto w = WritesTo(control);
        if (control == kHue) {
            EXPECT_TRUE(w.empty());
            continue;
        }
        ASSERT_EQ(w.size(), control == kWhiteBalance ? 2u : 1u) << std::hex << control;
        EXPECT_EQ(w.back().second & kAbsControl, 0u) << std::hex << control;
    }
    // Integer scale now: the slider range is the camera's integer range.
    EXPECT_NE(SliderRange(IDC_BRIGHTNESS_SLIDER), std::make_pair(0, 1000));
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), std::to_string(ProcAmpValue(VideoProcAmp_Brightness) & 0xFFF));

    ClearWrites();
    Click(IDC_ABSOLUTE_MODE);
    EXPECT_EQ(WritesTo(kGain).back().second & kAbsControl, kAbsControl);
    EXPECT_EQ(WritesTo(kSharpness).back().second & kAbsControl, 0u);
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "25.00 %");
}

TEST_F(VpaRows, AbsoluteSlidersWriteTheValueRegister) {
    StandardCamera();
    Triple(kAbsHue, 5.0f, 5.0f, 5.0f);          // empty range
    Triple(kAbsSaturation, 0.0f, 400.0f, -3.0f);  // below MIN
    Triple(kAbsGamma, 0.5f, 4.0f, 9.0f);          // above MAX
    OpenPage();
    EXPECT_EQ(SliderPos(IDC_HUE_SLIDER), 0);
    EXPECT_EQ(SliderPos(IDC_SATURATION_SLIDER), 0);
    EXPECT_EQ(SliderPos(IDC_GAMMA_SLIDER), 1000);

    ClearWrites();
    MoveSlider(IDC_BRIGHTNESS_SLIDER, 500);
    ASSERT_EQ(WritesTo(kAbsBrightness + 8).size(), 1u);
    EXPECT_EQ(WritesTo(kAbsBrightness + 8)[0].second, Bits(50.0f));
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "50.00 %");

    MoveSlider(IDC_HUE_SLIDER, 700);
    ASSERT_EQ(WritesTo(kAbsHue + 8).size(), 1u);
    EXPECT_EQ(WritesTo(kAbsHue + 8)[0].second, 0u);

    MoveSlider(IDC_GAIN_SLIDER, 250);
    EXPECT_EQ(WritesTo(kAbsGain + 8).back().second, Bits(6.0f));
    EXPECT_EQ(Text(IDC_GAIN_TEXT), "6.00 dB");
    EXPECT_TRUE(boxes->Take().empty());
}

TEST_F(VpaRows, IntegerSlidersSetTheProcAmpValue) {
    StandardCamera();
    OpenPage();
    Click(IDC_ABSOLUTE_MODE);
    long before = 0;
    ProcAmpValue(VideoProcAmp_Sharpness, &before);
    MoveSlider(IDC_SHARPNESS_SLIDER, 100);
    long flags = 0;
    EXPECT_EQ(ProcAmpValue(VideoProcAmp_Sharpness, &flags), 100);
    EXPECT_EQ(flags, before);
    EXPECT_EQ(Text(IDC_SHARPNESS_TEXT), "100");
    MoveSlider(IDC_GAIN_SLIDER, 17);
    EXPECT_EQ(ProcAmpValue(VideoProcAmp_Contrast), 17);
    EXPECT_EQ(Text(IDC_GAIN_TEXT), "17");
}

TEST_F(VpaRows, WhiteBalanceSlidersPackRedAndBlue) {
    StandardCamera();
    Feature(kWhiteBalance, kEverything, kOn | 0x00123345);
    OpenPage();
    EXPECT_EQ(SliderPos(IDC_WB_RED_SLIDER), 0x345);
    EXPECT_EQ(SliderPos(IDC_WB_BLUE_SLIDER), 0x123);
    MoveSlider(IDC_WB_RED_SLIDER, 100);
    EXPECT_EQ(ProcAmpValue(VideoProcAmp_WhiteBalance), 0x00123064);
    EXPECT_EQ(Text(IDC_WB_RED_TEXT), "100");
    Poke(kWhiteBalance, kOn | 0x00123345);
    MoveSlider(IDC_WB_BLUE_SLIDER, 100);
    EXPECT_EQ(ProcAmpValue(VideoProcAmp_WhiteBalance), 0x00064345);
    EXPECT_EQ(Text(IDC_WB_BLUE_TEXT), "100");
}

TEST_F(VpaRows, AutoInAbsoluteModeSwitchesBetweenAutoAndAbsoluteControl) {
    StandardCamera();
    OpenPage();
    Click(IDC_BRIGHTNESS_AUTO);  // checked
    EXPECT_EQ(Peek(kBrightness) & (kAuto | kAbsControl | kOn), kAuto | kOn);
    EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));
    long flags = 0;
    ProcAmpValue(VideoProcAmp_Brightness, &flags);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    Click(IDC_BRIGHTNESS_AUTO);  // unchecked
    EXPECT_EQ(Peek(kBrightness) & (kAuto | kAbsControl), kAbsControl);
    EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_SLIDER));

    // The same for features without an absolute scale.
    Click(IDC_SHARPNESS_AUTO);
    Click(IDC_SHARPNESS_AUTO);
    EXPECT_EQ(Peek(kSharpness) & (kAuto | kAbsControl), kAbsControl);
    Click(IDC_WB_AUTO);
    EXPECT_EQ(Peek(kWhiteBalance) & (kAuto | kAbsControl), kAuto);
    EXPECT_FALSE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_FALSE(Enabled(IDC_WB_BLUE_SLIDER));
    Click(IDC_WB_AUTO);
    EXPECT_TRUE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_TRUE(Enabled(IDC_WB_BLUE_SLIDER));
}

TEST_F(VpaRows, AutoInIntegerModeSetsTheProcAmpFlags) {
    StandardCamera();
    Feature(kWhiteBalance, kEverything, kOn | 0x00123345);
    OpenPage();
    Click(IDC_ABSOLUTE_MODE);
    ClearWrites();
    Click(IDC_BRIGHTNESS_AUTO);
    long flags = 0;
    const long value = ProcAmpValue(VideoProcAmp_Brightness, &flags);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), std::to_string(value));
    Click(IDC_BRIGHTNESS_AUTO);
    ProcAmpValue(VideoProcAmp_Brightness, &flags);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);
    EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_SLIDER));

    Click(IDC_WB_AUTO);
    EXPECT_FALSE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_FALSE(Enabled(IDC_WB_BLUE_SLIDER));
    EXPECT_EQ(Text(IDC_WB_RED_TEXT), std::to_string(0x345));
    EXPECT_EQ(Text(IDC_WB_BLUE_TEXT), std::to_string(0x123));
    Click(IDC_WB_AUTO);
    EXPECT_TRUE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_TRUE(Enabled(IDC_WB_BLUE_SLIDER));
}

TEST_F(VpaRows, OnOffSwitchesTheFeatureAndItsAutoBox) {
    StandardCamera();
    OpenPage();
    for (bool absolute : {true, false}) {
        if (!absolute) Click(IDC_ABSOLUTE_MODE);
        Click(IDC_BRIGHTNESS_ONOFF);  // off
        EXPECT_EQ(Peek(kBrightness) & kOn, 0u);
        EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_AUTO));
        EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));
        Click(IDC_BRIGHTNESS_ONOFF);  // on
        EXPECT_EQ(Peek(kBrightness) & kOn, kOn);
        EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_AUTO));
        EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_SLIDER));
    }
    // With Auto checked, switching on leaves the slider disabled.
    Click(IDC_GAIN_AUTO);
    Click(IDC_GAIN_ONOFF);
    Click(IDC_GAIN_ONOFF);
    EXPECT_FALSE(Enabled(IDC_GAIN_SLIDER));
    // One white balance box drives both rows.
    Click(IDC_WB_ONOFF);
    EXPECT_EQ(Peek(kWhiteBalance) & kOn, 0u);
    EXPECT_FALSE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_FALSE(Enabled(IDC_WB_BLUE_SLIDER));
    Click(IDC_WB_ONOFF);
    EXPECT_TRUE(Enabled(IDC_WB_RED_SLIDER));
    EXPECT_TRUE(Enabled(IDC_WB_BLUE_SLIDER));
    EXPECT_TRUE(boxes->Take().empty());
}

TEST_F(VpaRows, TimerFollowsChangesBehindThePage) {
    StandardCamera();
    OpenPage();
    // Matching state: the refresh leaves the enabling alone.
    EnableWindow(GetDlgItem(Dialog(), IDC_BRIGHTNESS_SLIDER), FALSE);
    Tick();
    EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));
    EnableWindow(GetDlgItem(Dialog(), IDC_BRIGHTNESS_SLIDER), TRUE);

    Poke(kBrightness, (Peek(kBrightness) & ~kOn));
    PokeFloat(kAbsBrightness + 8, 75.0f);
    Tick();
    EXPECT_FALSE(Checked(IDC_BRIGHTNESS_ONOFF));
    EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));
    EXPECT_EQ(SliderPos(IDC_BRIGHTNESS_SLIDER), 750);
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "75.00 %");

    Poke(kBrightness, Peek(kBrightness) | kOn | kAuto);
    Tick();
    EXPECT_TRUE(Checked(IDC_BRIGHTNESS_ONOFF));
    EXPECT_TRUE(Checked(IDC_BRIGHTNESS_AUTO));
    EXPECT_FALSE(Enabled(IDC_BRIGHTNESS_SLIDER));

    // An integer row takes its value from the control register.
    Poke(kSharpness, kOn | 123);
    Poke(kWhiteBalance, kOn | (200 << 12) | 300);
    Tick();
    EXPECT_EQ(SliderPos(IDC_SHARPNESS_SLIDER), 123);
    EXPECT_EQ(Text(IDC_SHARPNESS_TEXT), "123");
    EXPECT_EQ(Text(IDC_WB_RED_TEXT), "300");
    EXPECT_EQ(Text(IDC_WB_BLUE_TEXT), "200");
    EXPECT_TRUE(boxes->Take().empty());
}

TEST_F(VpaRows, RefreshRunsEveryHalfSecondWhileActive) {
    StandardCamera();
    OpenPage(true);
    Poke(kSharpness, kOn | 77);
    // Two refresh periods and then some; a loaded machine gets longer.
    for (int i = 0; i < 20 && Text(IDC_SHARPNESS_TEXT) != "77"; ++i) PumpMessages(250);
    EXPECT_EQ(Text(IDC_SHARPNESS_TEXT), "77");
}

TEST_F(VpaRows, FailedReadsLeaveRowsAsTheyWere) {
    StandardCamera();
    OpenPage();
    Poke(kBrightness, Peek(kBrightness) & ~kOn);
    PokeFloat(kAbsBrightness + 8, 75.0f);
    const std::string sharpness = Text(IDC_SHARPNESS_TEXT);
    Poke(kSharpness, kOn | 123);
    Fault(ZKV_FAULT_REGISTER_GET, kAbsBrightness + 8);
    Fault(ZKV_FAULT_REGISTER_GET, kSharpness);
    Tick();
    EXPECT_TRUE(Checked(IDC_BRIGHTNESS_ONOFF));
    EXPECT_TRUE(Enabled(IDC_BRIGHTNESS_SLIDER));
    EXPECT_EQ(SliderPos(IDC_BRIGHTNESS_SLIDER), 250);
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "25.00 %");
    EXPECT_EQ(Text(IDC_SHARPNESS_TEXT), sharpness);

    // A slider whose range cannot be read writes nothing.
    camera.control->ClearFaults();
    Fault(ZKV_FAULT_REGISTER_GET, kAbsGain);
    ClearWrites();
    MoveSlider(IDC_GAIN_SLIDER, 900);
    EXPECT_TRUE(WritesTo(kAbsGain + 8).empty());
    EXPECT_EQ(Text(IDC_GAIN_TEXT), "6.00 dB");
    EXPECT_TRUE(boxes->Take().empty());
}

}  // namespace
