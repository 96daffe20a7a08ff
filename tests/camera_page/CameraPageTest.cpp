// The camera control page against a virtual camera: what each group reads on
// activation, what each control writes, one-push, memory channels, a camera
// that lacks the functions, and every message the page shows.
#include <functional>
#include <string>
#include <vector>

#include "CameraControlPageIds.h"
#include "VpaPageFixture.h"

namespace {

constexpr ULONG TRIGGER_MODE = 0x830, SOFTWARE_TRIGGER = 0x62C, ONE_SHOT = 0x61C, BASIC_FUNC_INQ = 0x400,
                MEMORY_SAVE = 0x618, MEM_SAVE_CH = 0x620, CUR_MEM_CH = 0x624, WHITE_BALANCE = 0x80C,
                WHITE_BALANCE_INQ = 0x50C, TRIGGER_INQ = 0x530;
constexpr ULONG kTriggerOn = 0x02000000, kPolarityHigh = 0x01000000, kSoftwareSource = 0x00E00000;
constexpr ULONG kOnePush = 0x04000000, kOnePushInq = 0x10000000;
constexpr HRESULT kFault = static_cast<HRESULT>(0x8007001F);
constexpr int kWhiteBalanceButton = IDC_ONE_PUSH_BUTTON_FIRST;
constexpr int kWhiteBalanceStatus = IDC_ONE_PUSH_STATUS_FIRST;

class CameraPage : public VpaPageTest {
protected:
    void SetUp() override {
        VpaPageTest::SetUp();
        pageClass = CLSID_ZKVCameraControlPage;
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const CapturedBox& box : boxes->Take()) texts.push_back(box.caption + ": " + box.text);
        return texts;
    }
    void Select(int id, const std::string& text) { host->Select(id, text); }
    std::string WhiteBalanceText(ULONG control) {
        return std::to_string((control >> 12) & 0xFFF) + "/" + std::to_string(control & 0xFFF);
    }
};

TEST_F(CameraPage, EachGroupShowsTheCameraStateOnActivation) {
    Poke(TRIGGER_MODE, 0x80000000 | kTriggerOn | kSoftwareSource);
    OpenPage();
    EXPECT_TRUE(BoxTexts().empty());

    // Trigger: on, mode 0 from the software source; the camera offers mode 0,
    // source 0 and the software trigger, and both polarities.
    EXPECT_TRUE(Checked(IDC_TRIGGER_ONOFF));
    EXPECT_EQ(host->Items(IDC_TRIGGER_MODE), (std::vector<std::string>{"Mode 0"}));
    EXPECT_EQ(host->Items(IDC_TRIGGER_SOURCE), (std::vector<std::string>{"Source 0", "Software"}));
    EXPECT_EQ(host->Selection(IDC_TRIGGER_SOURCE), "Software");
    EXPECT_EQ(host->Selection(IDC_TRIGGER_POLARITY), "Low active");
    EXPECT_TRUE(Enabled(IDC_SOFTWARE_TRIGGER));
    EXPECT_FALSE(Enabled(IDC_TRIGGER_PARAMETER)) << "mode 0 takes no parameter";
    EXPECT_FALSE(Enabled(IDC_ONE_SHOT)) << "a triggered camera is not free-running";

    // One-push: white balance only, showing its blue and red values.
    EXPECT_TRUE(Enabled(kWhiteBalanceButton));
    EXPECT_EQ(Text(kWhiteBalanceStatus), WhiteBalanceText(Peek(WHITE_BALANCE)));
    for (int i = 1; i < 9; ++i) EXPECT_FALSE(Enabled(IDC_ONE_PUSH_BUTTON_FIRST + i)) << i;

    // Memory channels: two user channels, the factory settings loaded.
    EXPECT_EQ(host->Items(IDC_CHANNEL), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Text(IDC_CURRENT_CHANNEL), "Factory settings");
    Select(IDC_CHANNEL, "2");
    EXPECT_EQ(Text(IDC_SAVE_CHANNEL), "Save to channel 2");
    EXPECT_EQ(Text(IDC_LOAD_CHANNEL), "Load channel 2");
    EXPECT_TRUE(WritesTo(TRIGGER_MODE).empty()) << "activation only reads";
}

// A session at the page: each step's writes, in order and nothing else.
TEST_F(CameraPage, EachControlWritesItsRegister) {
    OpenPage();
    const ULONG wb = Peek(WHITE_BALANCE);
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<RegisterWrite> writes;
    };
    const Step steps[] = {
        {"one shot", [&] { Click(IDC_ONE_SHOT); }, {{ONE_SHOT, 0x80000000}}},
        {"multi shot", [&] { Type(IDC_MULTI_SHOT_COUNT, "5"); Click(IDC_MULTI_SHOT); }, {{ONE_SHOT, 0x40000005}}},
        {"trigger on", [&] { Click(IDC_TRIGGER_ONOFF); }, {{TRIGGER_MODE, 0x80000000 | kTriggerOn}}},
        {"polarity", [&] { Select(IDC_TRIGGER_POLARITY, "High active"); },
         {{TRIGGER_MODE, 0x80000000 | kTriggerOn | kPolarityHigh}}},
        {"software source", [&] { Select(IDC_TRIGGER_SOURCE, "Software"); },
         {{TRIGGER_MODE, 0x80000000 | kTriggerOn | kPolarityHigh | kSoftwareSource}}},
        {"software trigger", [&] { Click(IDC_SOFTWARE_TRIGGER); }, {{SOFTWARE_TRIGGER, 0x80000000}}},
        {"one-push", [&] { Click(kWhiteBalanceButton); }, {{WHITE_BALANCE, wb | kOnePush}}},
        {"save", [&] { Select(IDC_CHANNEL, "2"); Click(IDC_SAVE_CHANNEL); },
         {{MEM_SAVE_CH, 0x20000000}, {MEMORY_SAVE, 0x80000000}}},
        {"load", [&] { Select(IDC_CHANNEL, "1"); Click(IDC_LOAD_CHANNEL); }, {{CUR_MEM_CH, 0x10000000}}},
        {"factory", [&] { Click(IDC_FACTORY_SETTINGS); }, {{CUR_MEM_CH, 0}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ClearWrites();
        step.act();
        EXPECT_EQ(Writes(), step.writes);
    }
    EXPECT_EQ(Peek(TRIGGER_MODE) & 0x03E00000, 0u) << "the factory settings have the trigger off";
}

TEST_F(CameraPage, OnePushIsBusyUntilTheCameraClearsTheBit) {
    OpenPage();
    Click(kWhiteBalanceButton);
    EXPECT_EQ(Text(kWhiteBalanceStatus), "busy");
    EXPECT_FALSE(Enabled(kWhiteBalanceButton));
    Tick();
    EXPECT_EQ(Text(kWhiteBalanceStatus), "busy");
    // The camera settles on blue 700, red 500 and clears One_Push.
    const ULONG settled = (Peek(WHITE_BALANCE) & ~(kOnePush | 0x00FFFFFF)) | (700 << 12) | 500;
    Poke(WHITE_BALANCE, settled);
    Tick();
    EXPECT_EQ(Text(kWhiteBalanceStatus), "700/500");
    EXPECT_TRUE(Enabled(kWhiteBalanceButton));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CameraPage, SaveAndLoadRoundTripAGainThroughAChannel) {
    OpenPage();
    auto setGain = [&](long value) {
        ASSERT_EQ(camera.procAmp->Set(VideoProcAmp_Contrast, value, VideoProcAmp_Flags_Manual), S_OK);
    };
    setGain(100);
    Select(IDC_CHANNEL, "1");
    Click(IDC_SAVE_CHANNEL);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "Confirm: Overwrite memory channel 1 with the current settings?"}));
    setGain(200);
    Click(IDC_LOAD_CHANNEL);
    EXPECT_EQ(ProcAmpValue(VideoProcAmp_Contrast), 100);
    EXPECT_EQ(Text(IDC_CURRENT_CHANNEL), "Channel 1");
    Click(IDC_FACTORY_SETTINGS);
    EXPECT_NE(ProcAmpValue(VideoProcAmp_Contrast), 100);
    EXPECT_EQ(Text(IDC_CURRENT_CHANNEL), "Factory settings");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CameraPage, FunctionsTheCameraLacksAreDisabled) {
    Poke(WHITE_BALANCE_INQ, Peek(WHITE_BALANCE_INQ) & ~kOnePushInq);
    Poke(BASIC_FUNC_INQ, Peek(BASIC_FUNC_INQ) & ~0xFu);
    OpenPage();
    EXPECT_TRUE(BoxTexts().empty());
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(Enabled(IDC_ONE_PUSH_BUTTON_FIRST + i)) << i;
    EXPECT_FALSE(Enabled(IDC_ONE_PUSH_GROUP));
    for (int id : {IDC_CHANNEL_GROUP, IDC_CHANNEL, IDC_SAVE_CHANNEL, IDC_LOAD_CHANNEL, IDC_FACTORY_SETTINGS})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(host->Items(IDC_CHANNEL).empty());
}

// Every failed request: its message, and nothing else written or changed.
TEST_F(CameraPage, EveryFailureShowsItsMessage) {
    struct Case {
        const char* what;
        bool atActivation;  // the fault is in place before the page opens
        ULONG point, key;
        std::function<void()> act;
        std::vector<std::string> boxes;
        std::vector<ULONG> untouched;  // registers that must not be written
    };
    const std::string hr = " hr=0x8007001f";
    const Case cases[] = {
        {"trigger inquiry", true, ZKV_FAULT_REGISTER_GET, TRIGGER_INQ, [] {},
         {"Error: Could not read the trigger inquiry." + hr}, {}},
        {"trigger mode read", true, ZKV_FAULT_REGISTER_GET, TRIGGER_MODE, [] {},
         {"Error: Could not read the trigger mode." + hr}, {}},
        {"one-push inquiry", true, ZKV_FAULT_REGISTER_GET, WHITE_BALANCE_INQ, [] {},
         {"Error: Could not read the white balance inquiry." + hr}, {}},
        {"one-push value", true, ZKV_FAULT_REGISTER_GET, WHITE_BALANCE, [] {},
         {"Error: Could not read the white balance register." + hr}, {}},
        {"channel inquiry", true, ZKV_FAULT_REGISTER_GET, BASIC_FUNC_INQ, [] {},
         {"Error: Could not read the memory channel inquiry." + hr}, {}},
        {"current channel", true, ZKV_FAULT_REGISTER_GET, CUR_MEM_CH, [] {},
         {"Error: Could not read the current memory channel." + hr}, {}},
        {"trigger mode write", false, ZKV_FAULT_REGISTER_SET, TRIGGER_MODE,
         [this] {
             Click(IDC_TRIGGER_ONOFF);
             EXPECT_FALSE(Checked(IDC_TRIGGER_ONOFF)) << "the box returns to the camera's state";
         },
         {"Error: Could not set the trigger mode." + hr}, {}},
        {"one shot", false, ZKV_FAULT_REGISTER_SET, ONE_SHOT, [this] { Click(IDC_ONE_SHOT); },
         {"Error: Could not start the one-shot." + hr}, {}},
        {"multi shot", false, ZKV_FAULT_REGISTER_SET, ONE_SHOT, [this] { Click(IDC_MULTI_SHOT); },
         {"Error: Could not start the multi-shot." + hr}, {}},
        {"multi shot count", false, ZKV_FAULT_REGISTER_SET, 0, [this] {
             Type(IDC_MULTI_SHOT_COUNT, "0");
             Click(IDC_MULTI_SHOT);
         },
         {"Error: The multi-shot frame count is a number from 1 to 65535."}, {ONE_SHOT}},
        {"software trigger", false, ZKV_FAULT_REGISTER_SET, SOFTWARE_TRIGGER,
         [this] {
             Click(IDC_TRIGGER_ONOFF);
             Select(IDC_TRIGGER_SOURCE, "Software");
             Click(IDC_SOFTWARE_TRIGGER);
         },
         {"Error: Could not fire the software trigger." + hr}, {}},
        {"one-push read", false, ZKV_FAULT_REGISTER_GET, WHITE_BALANCE, [this] { Click(kWhiteBalanceButton); },
         {"Error: Could not read the white balance register." + hr}, {WHITE_BALANCE}},
        {"one-push start", false, ZKV_FAULT_REGISTER_SET, WHITE_BALANCE,
         [this] {
             Click(kWhiteBalanceButton);
             EXPECT_NE(Text(kWhiteBalanceStatus), "busy");
             EXPECT_TRUE(Enabled(kWhiteBalanceButton));
         },
         {"Error: Could not start one-push white balance." + hr}, {}},
        {"one-push time-out", false, ZKV_FAULT_REGISTER_SET, 0,
         [this] {
             Click(kWhiteBalanceButton);
             for (int i = 0; i < 20; ++i) Tick();
             EXPECT_EQ(Text(kWhiteBalanceStatus), "timed out");
             EXPECT_TRUE(Enabled(kWhiteBalanceButton));
         },
         {"Error: One-push white balance did not finish in time."}, {}},
        {"save channel select", false, ZKV_FAULT_REGISTER_SET, MEM_SAVE_CH, [this] { Click(IDC_SAVE_CHANNEL); },
         {"Confirm: Overwrite memory channel 1 with the current settings?",
          "Error: Could not select memory channel 1." + hr},
         {MEMORY_SAVE}},
        {"save channel", false, ZKV_FAULT_REGISTER_SET, MEMORY_SAVE, [this] { Click(IDC_SAVE_CHANNEL); },
         {"Confirm: Overwrite memory channel 1 with the current settings?",
          "Error: Could not save to memory channel 1." + hr},
         {}},
        {"load channel", false, ZKV_FAULT_REGISTER_SET, CUR_MEM_CH,
         [this] {
             Click(IDC_LOAD_CHANNEL);
             EXPECT_EQ(Text(IDC_CURRENT_CHANNEL), "Factory settings");
         },
         {"Error: Could not load memory channel 1." + hr}, {}},
        {"factory settings", false, ZKV_FAULT_REGISTER_SET, CUR_MEM_CH, [this] { Click(IDC_FACTORY_SETTINGS); },
         {"Error: Could not load the factory settings." + hr}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host = std::make_unique<PageHost>();
        camera.control->ClearFaults();
        // The fault's register is read back at its own state: for a write,
        // the log must show no successful write to it.
        if (c.key != 0 && c.atActivation) Fault(c.point, c.key, kFault);
        OpenPage();
        if (c.key != 0 && !c.atActivation) Fault(c.point, c.key, kFault);
        ClearWrites();
        c.act();
        EXPECT_EQ(BoxTexts(), c.boxes);
        for (ULONG reg : c.untouched) EXPECT_TRUE(WritesTo(reg).empty()) << std::hex << reg;
    }
    camera.control->ClearFaults();
}

}  // namespace
