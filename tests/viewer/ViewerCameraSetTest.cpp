// Tessera with camera sets installed for the test: none at all, and cameras
// that fail in the ways a device can (serial number unreadable, interfaces
// missing, capture format unreadable, graph steps refused).
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CameraInstaller.h"
#include "InstalledCameras.h"
#include "ViewerProcess.h"

namespace {

std::string SlotTitle(unsigned slot, ULONG serial)
{
    char text[128];
    std::snprintf(text, sizeof text, "Tessera Viewer - %u (Serial #: %u)", slot,
                  static_cast<unsigned>(serial));
    return text;
}

class ViewerWithCameraSet : public testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override
    {
        restore_.reset();
        CoUninitialize();
    }

    // Installs the set for this test; the prefix's own set returns afterwards.
    void Install(const std::string& arguments)
    {
        if (!restore_)
            restore_.reset(new CameraSetScope);
        ASSERT_TRUE(RunCameraSetup(arguments)) << "ZkvCameraSetup " << arguments;
        cameras_ = InstalledCameras();
    }

    // Runs the viewer until the expected windows are up, reading and
    // dismissing every message box on the way; returns the boxes seen.
    // With minBoxes, waits for that many boxes as well.
    std::vector<MessageBoxText> RunUntilWindows(size_t windows, std::vector<std::string>* titles,
                                                size_t minBoxes = 0)
    {
        std::vector<MessageBoxText> boxes;
        EXPECT_TRUE(viewer_.Start());
        WaitUntil(
            [&] {
                AnswerBoxes(&boxes);
                titles->clear();
                for (HWND w : viewer_.CameraWindows())
                    titles->push_back(WindowText(w));
                return !viewer_.Running() || (titles->size() >= windows && boxes.size() >= minBoxes);
            },
            60000);
        return boxes;
    }

    // Reads each message box once into boxes and presses OK on all of them.
    void AnswerBoxes(std::vector<MessageBoxText>* boxes)
    {
        for (HWND box : viewer_.MessageBoxes()) {
            if (answered_.insert(box).second)
                boxes->push_back(ViewerProcess::ReadMessageBox(box));
            ViewerProcess::Dismiss(box);
        }
    }

    // Waits until only the slots that show a window still have a thread:
    // every failed slot has given up, so nothing more can appear. Message
    // boxes shown meanwhile are answered and added to boxes.
    void WaitForFailedSlots(std::vector<MessageBoxText>* boxes)
    {
        const auto windows = viewer_.CameraWindows();
        ASSERT_FALSE(windows.empty());
        EXPECT_TRUE(WaitUntil(
            [&] {
                AnswerBoxes(boxes);
                return viewer_.ThreadsStartedLike(windows[0]) == windows.size();
            },
            60000))
            << viewer_.ThreadsStartedLike(windows[0]) << " camera threads for " << windows.size()
            << " windows";
    }

    void CloseAllAndExpectExit()
    {
        for (HWND w : viewer_.CameraWindows())
            PostMessageA(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(viewer_.WaitForExit(20000));
        EXPECT_EQ(viewer_.ExitCode(), 0u);
    }

    std::set<HWND> answered_;
    std::unique_ptr<CameraSetScope> restore_;
    std::vector<InstalledCamera> cameras_;
    ViewerProcess viewer_;
};

TEST_F(ViewerWithCameraSet, WithoutAnyCameraEveryThreadReportsNoDeviceAndTheProgramEnds)
{
    Install("uninstall");
    ASSERT_TRUE(cameras_.empty());
    ASSERT_TRUE(viewer_.Start());
    bool windowSeen = false;
    const auto boxes = viewer_.AnswerMessageBoxesUntilExit(60000, &windowSeen);
    ASSERT_FALSE(viewer_.Running()) << "still running after its message boxes";
    EXPECT_EQ(viewer_.ExitCode(), 0u);
    EXPECT_FALSE(windowSeen) << "a camera window was shown";
    ASSERT_EQ(boxes.size(), 10u);
    for (const MessageBoxText& box : boxes) {
        EXPECT_EQ(box.caption, "Lumora Message");
        EXPECT_EQ(box.text, "No video capture device was detected!");
    }
}

TEST_F(ViewerWithCameraSet, CameraWhoseSerialNumberCannotBeReadIsDroppedQuietly)
{
    Install("3 --fault 2:register_get:0x1F20:0x80004005");
    ASSERT_EQ(cameras_.size(), 3u);
    std::vector<std::string> titles;
    const auto boxes = RunUntilWindows(2, &titles);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    // Once the failed slot's thread has ended, its window can never show.
    auto late = boxes;
    WaitForFailedSlots(&late);
    EXPECT_EQ(late.size(), boxes.size()) << "a message box appeared late";
    titles.clear();
    for (HWND w : viewer_.CameraWindows())
        titles.push_back(WindowText(w));
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0] == SlotTitle(0, cameras_[0].serialNumber) ||
                  titles[1] == SlotTitle(0, cameras_[0].serialNumber),
              true);
    EXPECT_EQ(titles[0] == SlotTitle(2, cameras_[2].serialNumber) ||
                  titles[1] == SlotTitle(2, cameras_[2].serialNumber),
              true);
    EXPECT_TRUE(viewer_.MessageBoxes().empty());
    CloseAllAndExpectExit();
}

TEST_F(ViewerWithCameraSet, DeviceWithoutTheRegisterInterfaceOrStreamConfigIsDroppedQuietly)
{
    Install("3 --withhold 1:IZKVInterface --withhold 3:IAMStreamConfig");
    ASSERT_EQ(cameras_.size(), 3u);
    std::vector<std::string> titles;
    const auto boxes = RunUntilWindows(1, &titles);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    auto late = boxes;
    WaitForFailedSlots(&late);
    EXPECT_EQ(late.size(), boxes.size()) << "a message box appeared late";
    const auto windows = viewer_.CameraWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(WindowText(windows[0]), SlotTitle(1, cameras_[1].serialNumber));
    EXPECT_TRUE(viewer_.MessageBoxes().empty());
    CloseAllAndExpectExit();
}

TEST_F(ViewerWithCameraSet, UnreadableCaptureFormatIsReportedAndTheCameraClosed)
{
    Install("1 --fault 1:stream_get_format:any:0x80004005");
    ASSERT_EQ(cameras_.size(), 1u);
    ASSERT_TRUE(viewer_.Start());
    bool windowSeen = false;
    const auto boxes = viewer_.AnswerMessageBoxesUntilExit(60000, &windowSeen);
    ASSERT_FALSE(viewer_.Running());
    EXPECT_EQ(viewer_.ExitCode(), 0u);
    EXPECT_FALSE(windowSeen);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Lumora Message");
    EXPECT_EQ(boxes[0].text, "Couldn't setup video window. hr=0x80004005");
}

// Four cameras that fail at the steps of the graph that a device can make
// fail: binding, joining the graph, connecting the capture pin, and starting.
// One run shows one box per failing slot, and the failed slots never show a
// window. Wine's graph changes two of the results: the capture graph builder
// answers E_INVALIDARG for a pin that refuses every connection, and
// IMediaControl::Run answers S_FALSE while the video renderer is still
// pausing, so a source that cannot pause or run is not reported and its
// window shows without frames.
TEST_F(ViewerWithCameraSet, EachFailingGraphStepIsReportedWithItsHresult)
{
    Install("4 --fault 1:load:any:0x80070015 --fault 2:join_filter_graph:any:0x800700AA"
            " --fault 3:pin_connect:any:0x8007001F --fault 4:pause:any:0x80070079"
            " --fault 4:run:any:0x80070079");
    ASSERT_EQ(cameras_.size(), 4u);
    std::vector<std::string> titles;
    auto boxes = RunUntilWindows(1, &titles, 3);
    // Every failed slot's thread ends; nothing more may appear.
    WaitForFailedSlots(&boxes);
    std::multiset<std::string> texts;
    for (const MessageBoxText& box : boxes) {
        EXPECT_EQ(box.caption, "Lumora Message");
        texts.insert(box.text);
    }
    const std::multiset<std::string> expected = {
        "Couldn't bind moniker to filter object! hr=0x80070015",
        "Couldn't add the capture filter to the graph! hr=0x800700aa",
        "Couldn't render the video capture stream. hr=0x80070057",
    };
    EXPECT_EQ(texts, expected);

    // The failed slots destroyed their hidden windows as well.
    EXPECT_EQ(viewer_.Windows("Tessera", false).size(), 1u);
    const auto windows = viewer_.CameraWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(WindowText(windows[0]), SlotTitle(3, cameras_[3].serialNumber));
    CloseAllAndExpectExit();
}

// The program's own resources: the menu that the camera windows carry and
// the 32 x 32, 16-colour icon of the window class.
TEST(ViewerResources, MenuAndIcon)
{
    const std::wstring exe = BinDir() + L"Tessera.exe";
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);

    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(102));
    ASSERT_NE(menu, nullptr);
    char text[64] = {};
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Camera Properties");
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemCount(popup), 1);
    EXPECT_EQ(GetMenuItemID(popup, 0), 40001u);
    GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Video Capture Filter");
    DestroyMenu(menu);

    // The icon group directory: one 32 x 32 image of 16 colours, 4 bits.
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(dir, nullptr);
    ASSERT_GE(SizeofResource(module, group), 6u + 14u);
    EXPECT_EQ(dir[4] | dir[5] << 8, 1);  // image count
    const BYTE* entry = dir + 6;
    EXPECT_EQ(entry[0], 32);             // width
    EXPECT_EQ(entry[1], 32);             // height
    EXPECT_EQ(entry[2], 16);             // colours
    EXPECT_EQ(entry[6] | entry[7] << 8, 4);  // bits per pixel
    FreeLibrary(module);
}

}  // namespace
