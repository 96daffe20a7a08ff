// The standard-format lists, their commit on deactivation, Apply, the buffer
// count, and how the page meets a pin or camera that fails it.
#include <algorithm>
#include <cstring>

#include "ReshapedPin.h"

#include "StreamingPageFixture.h"

namespace {

std::vector<std::string> StandardResolutionsNewestFirst(IAMStreamConfig* config) {
    std::vector<std::string> order;
    for (const PinCapability& cap : PinCapabilities(config)) {
        if (cap.info.rcSource.bottom != 0) continue;
        std::string text = ResolutionOf(cap.info);
        if (std::find(order.begin(), order.end(), text) == order.end()) order.push_back(text);
    }
    std::reverse(order.begin(), order.end());
    return order;
}

bool HasDuplicates(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return std::adjacent_find(items.begin(), items.end()) != items.end();
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

TEST_F(StreamingPageTest, ActivationFillsTheGeneralListsFromThePin) {
    Open();
    std::vector<std::string> resolutions = host.Items(IDC_RESOLUTION);
    EXPECT_EQ(resolutions, StandardResolutionsNewestFirst(cam.config));
    EXPECT_FALSE(HasDuplicates(resolutions));
    for (const char* size : {"160x120", "320x240", "640x480", "800x600", "1024x768"}) {
        EXPECT_TRUE(Contains(resolutions, size)) << size;
    }
    EXPECT_EQ(host.Selection(IDC_RESOLUTION), "640x480");

    std::vector<std::string> conversions = host.Items(IDC_CONVERSION);
    EXPECT_FALSE(HasDuplicates(conversions));
    for (const char* name : {"RGB24", "YUV(4:2:2)", "RGGB Edge Sensing", "BGGR Nearest Neighbor Fast",
                             "GBRG Edge Sensing"}) {
        EXPECT_TRUE(Contains(conversions, name)) << name;
    }
    EXPECT_EQ(host.Selection(IDC_CONVERSION), "RGGB Edge Sensing");

    EXPECT_EQ(host.Text(IDC_FORMAT7_TOP), "0");
    EXPECT_EQ(host.Text(IDC_FORMAT7_LEFT), "0");
    EXPECT_EQ(host.Text(IDC_FORMAT7_SPEED), "100");
    EXPECT_TRUE(host.Enabled(IDC_ENABLE_FORMAT7));
    EXPECT_FALSE(host.Checked(IDC_ENABLE_FORMAT7));
    EXPECT_TRUE(host.Enabled(IDC_RESOLUTION));
    EXPECT_FALSE(host.Enabled(IDC_FORMAT7_MODE));
    EXPECT_EQ(host.Page()->IsPageDirty(), S_FALSE);
}

TEST_F(StreamingPageTest, ConversionListFollowsTheChosenResolution) {
    Open();
    host.Select(IDC_RESOLUTION, "160x120");
    std::vector<std::string> conversions = host.Items(IDC_CONVERSION);
    EXPECT_TRUE(Contains(conversions, "YUV(4:4:4)"));
    EXPECT_FALSE(Contains(conversions, "RGB24")) << "160x120 has no RGB mode";
    EXPECT_FALSE(HasDuplicates(conversions));
    // The current subtype when it is offered at this size, else the first entry.
    ASSERT_FALSE(conversions.empty());
    EXPECT_EQ(host.Selection(IDC_CONVERSION),
              Contains(conversions, "RGGB Edge Sensing") ? "RGGB Edge Sensing" : conversions.front());
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
}

TEST_F(StreamingPageTest, DeactivationCommitsTheChoiceAndApplyOnlyCleansThePage) {
    Open();
    host.Select(IDC_RESOLUTION, "1024x768");
    host.Select(IDC_CONVERSION, "YUV(4:2:2)");
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
    EXPECT_TRUE(std::count(host.Site().statusChanges.begin(), host.Site().statusChanges.end(),
                           static_cast<DWORD>(PROPPAGESTATUS_DIRTY)) > 0);

    ASSERT_EQ(host.Page()->Apply(), S_OK);
    EXPECT_EQ(host.Page()->IsPageDirty(), S_FALSE);
    EXPECT_EQ(host.Site().statusChanges.back(), static_cast<DWORD>(PROPPAGESTATUS_CLEAN));
    PinFormat before = CurrentPinFormat(cam.config);
    EXPECT_EQ(before.info.bmiHeader.biWidth, 640) << "Apply leaves the pin alone";

    // A clean page's Apply reaches nothing.
    size_t changes = host.Site().statusChanges.size();
    ASSERT_EQ(host.Page()->Apply(), S_OK);
    EXPECT_EQ(host.Site().statusChanges.size(), changes);

    ASSERT_EQ(host.Deactivate(), S_OK);
    PinFormat after = CurrentPinFormat(cam.config);
    ASSERT_TRUE(after.valid);
    EXPECT_EQ(after.info.bmiHeader.biWidth, 1024);
    EXPECT_EQ(std::labs(after.info.bmiHeader.biHeight), 768);
    EXPECT_EQ(after.info.bmiHeader.biCompression, Fourcc("UYVY"));
    // The first standard capability of that size and subtype, in the pin's order.
    for (const PinCapability& cap : PinCapabilities(cam.config)) {
        if (cap.info.rcSource.bottom == 0 && ResolutionOf(cap.info) == "1024x768" &&
            cap.info.bmiHeader.biCompression == Fourcc("UYVY")) {
            EXPECT_EQ(after.info.bmiHeader.biHeight, cap.info.bmiHeader.biHeight);
            break;
        }
    }

    // A new activation starts from a fresh dialog showing the committed format.
    ASSERT_EQ(host.Activate(), S_OK);
    EXPECT_EQ(host.Selection(IDC_RESOLUTION), "1024x768");
    EXPECT_EQ(host.Selection(IDC_CONVERSION), "YUV(4:2:2)");
    EXPECT_EQ(host.Text(IDC_FORMAT7_SPEED), "100");
}

TEST_F(StreamingPageTest, RgbModesAreListedAsRgb24AndCommitBiRgb) {
    Open();
    host.Select(IDC_RESOLUTION, "800x600");
    ASSERT_TRUE(Contains(host.Items(IDC_CONVERSION), "RGB24"));
    host.Select(IDC_CONVERSION, "RGB24");
    ASSERT_EQ(host.Deactivate(), S_OK);
    PinFormat after = CurrentPinFormat(cam.config);
    EXPECT_EQ(after.info.bmiHeader.biCompression, 0u);
    EXPECT_EQ(after.info.bmiHeader.biWidth, 800);
}

TEST_F(StreamingPageTest, BufferCountIsReadAndSetWithItsMessages) {
    Open();
    ULONG driverCount = 0;
    ASSERT_EQ(cam.camera->GetBufferCount(&driverCount), S_OK);
    host.Click(IDC_GET_BUFFER_SIZE);
    EXPECT_EQ(host.Text(IDC_BUFFER_COUNT), std::to_string(driverCount));

    host.SetText(IDC_BUFFER_COUNT, "7");
    host.Click(IDC_SET_BUFFER_SIZE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "Success: Buffers successfully set to 7. Changes will take effect "
                              "when this dialog is closed."});
    EXPECT_EQ(LastBufferCountRequest(cam.control).count, 7u);

    // Only the first eight characters count.
    host.SetText(IDC_BUFFER_COUNT, "000000123");
    host.Click(IDC_SET_BUFFER_SIZE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "Success: Buffers successfully set to 12. Changes will take effect "
                              "when this dialog is closed."});
    EXPECT_EQ(LastBufferCountRequest(cam.control).count, 12u);

    // Text that reads as 0 is refused before any request.
    for (const char* text : {"", "0", "x5"}) {
        host.SetText(IDC_BUFFER_COUNT, text);
        host.Click(IDC_SET_BUFFER_SIZE);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Could not set buffer size."}) << text;
        EXPECT_EQ(LastBufferCountRequest(cam.control).count, 12u) << text;
    }
    for (const CapturedBox& box : boxes.Take()) EXPECT_FALSE(box.owned);
}

TEST_F(StreamingPageTest, BufferCountFailuresAreReported) {
    Open();
    host.SetText(IDC_BUFFER_COUNT, "3");
    cam.control->SetFault(ZKV_FAULT_BUFFER_COUNT_GET, ZKV_FAULT_ANY_KEY, E_FAIL);
    host.Click(IDC_GET_BUFFER_SIZE);
    std::vector<CapturedBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsBox(shown[0], "Error", "Could not get buffer size."));
    EXPECT_FALSE(shown[0].owned);
    EXPECT_EQ(host.Text(IDC_BUFFER_COUNT), "3");

    cam.control->SetFault(ZKV_FAULT_BUFFER_COUNT_SET, ZKV_FAULT_ANY_KEY, E_FAIL);
    host.Click(IDC_SET_BUFFER_SIZE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Could not set buffer size."});
}

TEST_F(StreamingPageTest, ConnectFailuresAreReportedAndLeaveNoHalfState) {
    // No IAMStreamConfig on the pin.
    cam.control->WithholdInterface(IID_IAMStreamConfig, TRUE);
    EXPECT_EQ(host.Connect(cam.pin), E_NOINTERFACE);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error: Prop m_pIAMStreamConfig failed",
                                                    "ERROR: invalid "}));
    cam.control->WithholdInterface(IID_IAMStreamConfig, FALSE);
    host.Disconnect();

    // No camera interface on the pin's filter.
    cam.control->WithholdInterface(IID_IZKVInterface, TRUE);
    EXPECT_EQ(host.Connect(cam.pin), E_NOINTERFACE);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"ERROR: invalid m_pInterface", "ERROR: invalid "}));
    cam.control->WithholdInterface(IID_IZKVInterface, FALSE);
    host.Disconnect();

    IUnknown* none = nullptr;
    EXPECT_TRUE(FAILED(host.Page()->SetObjects(1, &none)));
}

// Offers the pin's IAMStreamConfig and nothing else: not a pin.
class StreamConfigOnly : public IUnknown {
public:
    explicit StreamConfigOnly(IAMStreamConfig* config) : m_config(config) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IAMStreamConfig) return m_config->QueryInterface(riid, ppv);
        if (riid == IID_IUnknown) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

private:
    IAMStreamConfig* m_config;
};

TEST_F(StreamingPageTest, AnObjectThatIsNoPinFailsAsAnInvalidPin) {
    StreamConfigOnly object(cam.config);
    EXPECT_EQ(host.Connect(&object), E_NOINTERFACE);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"ERROR: invalid PinInfo", "ERROR: invalid "}));
    host.Disconnect();
}

TEST_F(StreamingPageTest, FailingStreamQueriesAreNeverReadAsFormats) {
    // No current format: the lists fill, the first entries are chosen.
    cam.control->SetFault(ZKV_FAULT_STREAM_GET_FORMAT, ZKV_FAULT_ANY_KEY, E_FAIL);
    Open();
    std::vector<std::string> resolutions = host.Items(IDC_RESOLUTION);
    ASSERT_FALSE(resolutions.empty());
    EXPECT_EQ(host.Selection(IDC_RESOLUTION), resolutions.front());
    EXPECT_FALSE(host.Items(IDC_CONVERSION).empty());
    ASSERT_EQ(host.Deactivate(), S_OK);
    cam.control->ClearFaults();

    // One capability the pin cannot deliver is passed over.
    cam.control->SetFault(ZKV_FAULT_STREAM_GET_STREAM_CAPS, 0, E_FAIL);
    ASSERT_EQ(host.Activate(), S_OK);
    EXPECT_FALSE(host.Items(IDC_RESOLUTION).empty());
    ASSERT_EQ(host.Deactivate(), S_OK);
    cam.control->ClearFaults();

    // No capability count: nothing to list, nothing to commit.
    SetStandardFormat(640, 480, Fourcc("RGB3"));
    cam.control->SetFault(ZKV_FAULT_STREAM_GET_NUMBER_OF_CAPS, ZKV_FAULT_ANY_KEY, E_FAIL);
    ASSERT_EQ(host.Activate(), S_OK);
    EXPECT_TRUE(host.Items(IDC_RESOLUTION).empty());
    EXPECT_TRUE(host.Items(IDC_CONVERSION).empty());
    EXPECT_EQ(host.Selection(IDC_RESOLUTION), "");
    ASSERT_EQ(host.Deactivate(), S_OK);
    cam.control->ClearFaults();
    EXPECT_EQ(CurrentPinFormat(cam.config).info.bmiHeader.biCompression, Fourcc("RGB3"));
}

}  // namespace

namespace {

int FirstStandardCapability(IAMStreamConfig* config, const char* resolution, std::uint32_t fourcc) {
    std::vector<PinCapability> caps = PinCapabilities(config);
    for (size_t i = 0; i < caps.size(); ++i) {
        if (caps[i].info.rcSource.bottom == 0 && ResolutionOf(caps[i].info) == resolution &&
            caps[i].info.bmiHeader.biCompression == fourcc) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TEST_F(StreamingPageTest, TopDownTwinsShareAnEntryAndUnnamedSubtypesAreLeftOut) {
    const int uyvy = FirstStandardCapability(cam.config, "640x480", Fourcc("UYVY"));
    const int rgb = FirstStandardCapability(cam.config, "640x480", Fourcc("RGB3"));
    ASSERT_GE(uyvy, 0);
    ASSERT_GE(rgb, 0);
    std::vector<std::string> plainResolutions = StandardResolutionsNewestFirst(cam.config);

    ReshapedPin pin(cam.pin, cam.config,
                    {{uyvy, [](VIDEOINFOHEADER& v) { v.bmiHeader.biHeight = -v.bmiHeader.biHeight; }},
                     {rgb, [](VIDEOINFOHEADER& v) { v.bmiHeader.biCompression = Fourcc("YUY2"); }},
                     {rgb, [](VIDEOINFOHEADER& v) {
                          v.bmiHeader.biWidth = 1280;
                          v.bmiHeader.biHeight = -720;
                      }}});
    ASSERT_EQ(host.Connect(static_cast<IPin*>(&pin)), S_OK);
    ASSERT_EQ(host.Activate(), S_OK);

    std::vector<std::string> expected = plainResolutions;
    expected.insert(expected.begin(), "1280x720");
    EXPECT_EQ(host.Items(IDC_RESOLUTION), expected);
    std::vector<std::string> conversions = host.Items(IDC_CONVERSION);
    EXPECT_FALSE(HasDuplicates(conversions));
    EXPECT_FALSE(Contains(conversions, "")) << "a subtype without a name is not listed";
    EXPECT_EQ(host.Selection(IDC_CONVERSION), "RGGB Edge Sensing");

    // The top-down 1280x720 entry, a size no standard mode has, commits its own capability.
    host.Select(IDC_RESOLUTION, "1280x720");
    EXPECT_EQ(host.Items(IDC_CONVERSION), std::vector<std::string>{"RGGB Edge Sensing"});
    ASSERT_EQ(host.Deactivate(), S_OK);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    host.Disconnect();
}

}  // namespace

namespace {

TEST_F(StreamingPageTest, DeactivationNeverCommitsAFormat7TypeForAStandardChoice) {
    // A driver that lists a Format 7 type of the same size and subtype first.
    const int uyvy = FirstStandardCapability(cam.config, "1024x768", Fourcc("UYVY"));
    ASSERT_GE(uyvy, 0);
    ReshapedPin pin(cam.pin, cam.config,
                    {{uyvy, [](VIDEOINFOHEADER& v) { SetRect(&v.rcSource, 0, 0, 1024, 768); }}},
                    true);
    ASSERT_EQ(host.Connect(static_cast<IPin*>(&pin)), S_OK);
    ASSERT_EQ(host.Activate(), S_OK);
    host.Select(IDC_RESOLUTION, "1024x768");
    host.Select(IDC_CONVERSION, "YUV(4:2:2)");
    ASSERT_EQ(host.Deactivate(), S_OK);
    PinFormat after = CurrentPinFormat(cam.config);
    EXPECT_EQ(after.info.rcSource.bottom, 0);
    EXPECT_EQ(after.info.bmiHeader.biWidth, 1024);
    EXPECT_EQ(after.info.bmiHeader.biCompression, Fourcc("UYVY"));
    host.Disconnect();
}

TEST_F(StreamingPageTest, TheDialogHasItsControlsInTabOrderAndItsTitle) {
    PROPPAGEINFO info{};
    ASSERT_EQ(host.Page()->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"ZKV Streaming Config  Property Page");
    CoTaskMemFree(info.pszTitle);

    Open();
    std::vector<int> ids;
    for (HWND child = GetWindow(host.Dialog(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(child));
    }
    const std::vector<int> working = {IDC_RESOLUTION,     IDC_CONVERSION,    IDC_ENABLE_FORMAT7,
                                      IDC_FORMAT7_TOP,    IDC_FORMAT7_LEFT,  IDC_FORMAT7_WIDTH,
                                      IDC_FORMAT7_HEIGHT, IDC_PIXEL_FORMAT,  IDC_FORMAT7_SPEED,
                                      IDC_APPLY_FORMAT7,  IDC_BUFFER_COUNT,  IDC_GET_BUFFER_SIZE,
                                      IDC_SET_BUFFER_SIZE};
    ASSERT_GT(ids.size(), working.size());
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + working.size()), working);
    EXPECT_EQ(ids.back(), IDC_FORMAT7_MODE);

    auto style = [&](int id) { return GetWindowLongW(GetDlgItem(host.Dialog(), id), GWL_STYLE); };
    EXPECT_EQ(style(IDC_RESOLUTION) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    EXPECT_EQ(style(IDC_PIXEL_FORMAT) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST | CBS_SORT);
    EXPECT_EQ(style(IDC_FORMAT7_MODE) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST | CBS_SORT);
    EXPECT_TRUE(style(IDC_FORMAT7_TOP) & ES_NUMBER);
    EXPECT_TRUE(style(IDC_BUFFER_COUNT) & ES_RIGHT);
    EXPECT_FALSE(style(IDC_BUFFER_COUNT) & ES_NUMBER) << "the buffer field accepts any text";
    EXPECT_EQ(host.Text(IDC_MAX_IMAGE_SIZE), "640x480");
    EXPECT_EQ(host.Text(IDC_UNIT_X), "00");
}

}  // namespace
