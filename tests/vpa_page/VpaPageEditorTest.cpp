// The camera register editor of the video proc amp page, the page's dirty
// state, and every message box the page raises, reached through the virtual
// camera's fault injection.
#include <string>
#include <vector>

#include "VideoProcAmpPageIds.h"
#include "VpaPageFixture.h"
#include "ZKVPluginClasses.h"

namespace {

class VpaEditor : public VpaPageTest {
protected:
    void SetBytes(const char* b0, const char* b1, const char* b2, const char* b3) {
        Type(IDC_REG_BYTE_0_7, b0);
        Type(IDC_REG_BYTE_8_15, b1);
        Type(IDC_REG_BYTE_16_23, b2);
        Type(IDC_REG_BYTE_24_31, b3);
    }
    std::string Bytes() {
        return Text(IDC_REG_BYTE_0_7) + " " + Text(IDC_REG_BYTE_8_15) + " " + Text(IDC_REG_BYTE_16_23) + " " +
               Text(IDC_REG_BYTE_24_31);
    }
    // The one box raised since the last check, as "caption: text".
    std::string OnlyBox() {
        std::vector<CapturedBox> raised = boxes->Take();
        if (raised.size() != 1) return "boxes raised: " + std::to_string(raised.size());
        EXPECT_FALSE(raised[0].owned);
        return raised[0].caption + ": " + raised[0].text;
    }
};

TEST_F(VpaEditor, AddressShowsTheRegisterNameAndMarksThePageDirty) {
    OpenPage();
    EXPECT_EQ(Text(IDC_REG_NAME), "Unknown");
    EXPECT_EQ(host->Page()->IsPageDirty(), S_FALSE);
    const struct {
        const char* typed;
        const char* name;
    } cases[] = {{"1F20", "SERIAL_NUMBER"}, {"F0F00800", "BRIGHTNESS"}, {"0xF0F00800", "Unknown"},
                 {"802", "Invalid Register"}, {"", "INITIALIZE"}, {"0x938", "ABS_BRIGHTNESS_VAL"},
                 {"2000", "Unknown"}, {"zz", "INITIALIZE"}};
    for (const auto& c : cases) {
        Type(IDC_REG_ADDRESS, c.typed);
        EXPECT_EQ(Text(IDC_REG_NAME), c.name) << c.typed;
    }
    EXPECT_EQ(host->Page()->IsPageDirty(), S_OK);
    ASSERT_FALSE(host->Site().statusChanges.empty());
    EXPECT_EQ(host->Site().statusChanges.back(), static_cast<DWORD>(PROPPAGESTATUS_DIRTY));

    // Apply only clears the dirty state; nothing reaches the camera.
    ClearWrites();
    EXPECT_EQ(host->Page()->Apply(), S_OK);
    EXPECT_EQ(host->Page()->IsPageDirty(), S_FALSE);
    EXPECT_EQ(host->Site().statusChanges.back(), static_cast<DWORD>(PROPPAGESTATUS_CLEAN));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(VpaEditor, BytesAndFloatFollowEachOtherOnFocusLoss) {
    OpenPage();
    ClearWrites();
    SetBytes("3F", "80", "0", "0");
    EXPECT_EQ(Text(IDC_REG_FLOAT), "");  // nothing before the field is left
    Leave(IDC_REG_BYTE_16_23);
    EXPECT_EQ(Text(IDC_REG_FLOAT), "1.000000");

    const struct {
        const char* typed;
        const char* bytes;
    } cases[] = {{"0.1", "3D CC CC CC"}, {"-2.5", "C0 20 00 00"}, {"abc", "00 00 00 00"},
                 {"1e39", "7F 7F FF FF"}};
    for (const auto& c : cases) {
        Type(IDC_REG_FLOAT, c.typed);
        Leave(IDC_REG_FLOAT);
        EXPECT_EQ(Bytes(), c.bytes) << c.typed;
        EXPECT_EQ(Text(IDC_REG_FLOAT), c.typed);  // left as typed
    }
    EXPECT_TRUE(Writes().empty());
}

TEST_F(VpaEditor, GetAndSetRegister) {
    OpenPage();
    Poke(0x1F20, 0x7F800000);
    Type(IDC_REG_ADDRESS, "1F20");
    Click(IDC_REG_GET);
    EXPECT_EQ(Bytes(), "7F 80 00 00");
    EXPECT_EQ(Text(IDC_REG_FLOAT), "99999.000000");
    Poke(0x1F20, 0xFF800000);
    Click(IDC_REG_GET);
    EXPECT_EQ(Text(IDC_REG_FLOAT), "-99999.000000");
    Poke(0x1F20, 0x3DCC0A05);
    Click(IDC_REG_GET);
    EXPECT_EQ(Bytes(), "3D CC 0A 05");

    ClearWrites();
    Type(IDC_REG_ADDRESS, "1A70");
    SetBytes("42", "48", "00", "00");
    Click(IDC_REG_SET);
    // Wide byte fields lengthen the value's text instead of being masked.
    SetBytes("1FF", "0", "0", "0");
    Click(IDC_REG_SET);
    SetBytes("0", "0", "0", "1FF");
    Click(IDC_REG_SET);
    SetBytes("FFFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFFFFFFFFFF",
             "FFFFFFFFFFFFFFFFFFFFFFFF");
    Click(IDC_REG_SET);
    const std::vector<RegisterWrite> expected = {
        {0x1A70, 0x42480000}, {0x1A70, 0xFFFFFFFF}, {0x1A70, 0x000001FF}, {0x1A70, 0xFFFFFFFF}};
    EXPECT_EQ(Writes(), expected);
    EXPECT_TRUE(boxes->Take().empty());
}

TEST_F(VpaEditor, RegisterAccessFailuresAreReportedAndChangeNoField) {
    OpenPage();
    Type(IDC_REG_ADDRESS, "1F20");
    SetBytes("12", "34", "56", "78");
    Type(IDC_REG_FLOAT, "7.5");
    Fault(ZKV_FAULT_REGISTER_GET, 0x1F20);
    Click(IDC_REG_GET);
    EXPECT_EQ(OnlyBox(), "Error: There has been an error while getting the camera register.");
    EXPECT_EQ(Bytes(), "12 34 56 78");
    EXPECT_EQ(Text(IDC_REG_FLOAT), "7.5");
    Fault(ZKV_FAULT_REGISTER_SET, 0x1F20);
    Click(IDC_REG_SET);
    EXPECT_EQ(OnlyBox(), "Error: There has been an error while setting the camera register.");
}

TEST_F(VpaEditor, ConnectionFailuresAreReported) {
    ASSERT_EQ(host->Create(CLSID_ZKVVideoProcAmpPage), S_OK);
    EXPECT_EQ(host->Page()->SetObjects(1, nullptr), E_POINTER);
    IUnknown* none = nullptr;
    EXPECT_EQ(host->Page()->SetObjects(1, &none), E_POINTER);
    ASSERT_EQ(camera.control->WithholdInterface(IID_IAMVideoProcAmp, TRUE), S_OK);
    EXPECT_TRUE(FAILED(host->Connect(camera.filter)));
    EXPECT_EQ(OnlyBox(), "NO Error: Prop m_pIAMVideoProcAmp failed");
    ASSERT_EQ(camera.control->WithholdInterface(IID_IAMVideoProcAmp, FALSE), S_OK);
    ASSERT_EQ(camera.control->WithholdInterface(IID_IZKVInterface, TRUE), S_OK);
    IUnknown* filter = camera.filter;
    EXPECT_TRUE(FAILED(host->Page()->SetObjects(1, &filter)));
    EXPECT_EQ(OnlyBox(), "ERROR: invalid m_pInterface");
    ASSERT_EQ(camera.control->WithholdInterface(IID_IZKVInterface, FALSE), S_OK);
    // Connecting again after the failures gives a working page.
    EXPECT_EQ(host->Page()->SetObjects(1, &filter), S_OK);
    ASSERT_EQ(host->Activate(), S_OK);
    EXPECT_TRUE(boxes->Take().empty());
    EXPECT_EQ(Text(IDC_BRIGHTNESS_LABEL), "Brightness");
    EXPECT_NE(Text(IDC_BRIGHTNESS_TEXT), "0000");
}

TEST_F(VpaEditor, SetupFailuresAreReported) {
    Fault(ZKV_FAULT_REGISTER_GET, 0x500);  // brightness inquiry
    Fault(ZKV_FAULT_REGISTER_SET, 0x820);  // gain control
    OpenPage();
    std::vector<CapturedBox> raised = boxes->Take();
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].caption + ": " + raised[0].text, "Error: Could not get register.");
    EXPECT_EQ(raised[1].caption + ": " + raised[1].text, "Error: Could not set register.");
    // The failed row stops before its first change.
    EXPECT_EQ(Text(IDC_BRIGHTNESS_TEXT), "0000");
}

TEST_F(VpaEditor, HandlerFailuresAreReported) {
    OpenPage();
    ASSERT_TRUE(boxes->Take().empty());
    const bool sliderEnabled = Enabled(IDC_GAIN_SLIDER);
    const std::string gainText = Text(IDC_GAIN_TEXT);

    Fault(ZKV_FAULT_REGISTER_SET, 0x928);  // ABS_GAIN_VAL
    MoveSlider(IDC_GAIN_SLIDER, 900);
    EXPECT_EQ(OnlyBox(), "Error: Could not set register.");
    EXPECT_EQ(Text(IDC_GAIN_TEXT), gainText);

    Fault(ZKV_FAULT_REGISTER_GET, 0x820);
    Click(IDC_GAIN_AUTO);
    EXPECT_EQ(OnlyBox(), "Error: Could not get register.");
    Click(IDC_GAIN_ONOFF);
    EXPECT_EQ(OnlyBox(), "Error: Could not get register.");
    camera.control->ClearFaults();

    Fault(ZKV_FAULT_REGISTER_SET, 0x820);
    Click(IDC_GAIN_AUTO);
    EXPECT_EQ(OnlyBox(), "Error: Could not set auto register.");
    EXPECT_EQ(Enabled(IDC_GAIN_SLIDER), sliderEnabled);
    Click(IDC_GAIN_ONOFF);
    EXPECT_EQ(OnlyBox(), "Error: Could not set register.");
}

}  // namespace
