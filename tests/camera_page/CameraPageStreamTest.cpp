// The camera control page beside a running graph: the software trigger button
// against the frames the capture pin delivers, and the statistics group
// against the frames the camera's fault point drops. Every wait is on state
// the camera or the graph shows, never on elapsed time alone.
#include "CameraControlPageIds.h"
#include "CameraTestSupport.h"
#include "VpaPageFixture.h"

namespace {

constexpr ULONG TRIGGER_MODE = 0x830, SOFTWARE_TRIGGER = 0x62C;
constexpr ULONG kSoftwareTriggerOn = 0x82E00000u;  // Presence, ON_OFF, source 7, mode 0
constexpr DWORD kWaitMs = 10000;

class CameraPageStream : public VpaPageTest {
protected:
    void SetUp() override {
        VpaPageTest::SetUp();
        pageClass = CLSID_ZKVCameraControlPage;
        Poke(TRIGGER_MODE, kSoftwareTriggerOn);
    }
    void TearDown() override {
        graph.Stop();
        camera.control->ClearFaults();
        VpaPageTest::TearDown();
    }
    // The page first, then the graph: the page finds the pin's counts as a
    // user's page does, before the graph runs.
    void OpenPageAndRun() {
        OpenPage();
        ASSERT_EQ(graph.Build(camera.filter, false), S_OK);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ComPtr<IPin> pin;
        *&pin = simtest::CapturePinOf(camera.filter);
        ASSERT_EQ(pin->QueryInterface(IID_IAMDroppedFrames, dropped.Out()), S_OK);
    }
    long Counted() {
        long delivered = 0, lost = 0;
        dropped->GetNumNotDropped(&delivered);
        dropped->GetNumDropped(&lost);
        return delivered + lost;
    }
    // Clicks the page's button and waits until the camera took the trigger
    // and its frame was counted, delivered or dropped.
    bool ClickSoftwareTrigger() {
        const long before = Counted();
        Click(IDC_SOFTWARE_TRIGGER);
        return simtest::WaitUntil([&] { return Peek(SOFTWARE_TRIGGER) == 0 && Counted() > before; }, kWaitMs);
    }

    simtest::GrabberGraph graph;
    ComPtr<IAMDroppedFrames> dropped;
};

TEST_F(CameraPageStream, SoftwareTriggerButtonDeliversExactlyOneFrame) {
    OpenPageAndRun();
    ASSERT_TRUE(Enabled(IDC_SOFTWARE_TRIGGER));
    EXPECT_EQ(Counted(), 0) << "a triggered camera sends nothing by itself";
    for (std::size_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(ClickSoftwareTrigger()) << "click " << n;
        ASSERT_TRUE(graph.WaitFrames(n, kWaitMs)) << "click " << n;
    }
    graph.Stop();
    // Frame numbers count every frame the camera took: 0, 1, 2 show that no
    // click brought a second frame and no frame came between the clicks.
    const std::vector<simtest::CapturedFrame> frames = graph.Frames();
    ASSERT_EQ(frames.size(), 3u);
    for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].frame, static_cast<LONGLONG>(i));
}

TEST_F(CameraPageStream, StatisticsShowTheFramesTheFaultPointDrops) {
    OpenPageAndRun();
    Tick();
    EXPECT_EQ(Text(IDC_FRAMES_CAPTURED), "0");
    EXPECT_EQ(Text(IDC_FRAMES_DROPPED), "0");
    // Every third frame dropped: frames 2 and 5 of the seven.
    Fault(ZKV_FAULT_DROP_FRAMES, 3);
    for (int n = 0; n < 7; ++n) ASSERT_TRUE(ClickSoftwareTrigger()) << "click " << n;
    ASSERT_TRUE(graph.WaitFrames(5, kWaitMs));
    Tick();
    EXPECT_EQ(Text(IDC_FRAMES_CAPTURED), "5");
    EXPECT_EQ(Text(IDC_FRAMES_DROPPED), "2");
    // The counts start over when the graph runs again, and so does the page.
    graph.Stop();
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    Tick();
    EXPECT_EQ(Text(IDC_FRAMES_CAPTURED), "0");
    EXPECT_EQ(Text(IDC_FRAMES_DROPPED), "0");
    EXPECT_EQ(Text(IDC_FRAME_RATE), "-");
}

}  // namespace
