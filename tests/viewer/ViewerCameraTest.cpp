// Tessera with the virtual cameras installed in the test prefix: one window
// per camera, titled with its serial number, sized from its capture format,
// showing its video, closed one at a time, with the capture filter's pages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "InstalledCameras.h"
#include "ScreenPixels.h"
#include "ViewerProcess.h"

namespace {

constexpr UINT IDM_VIDEO_CAPTURE_FILTER = 40001;
constexpr DWORD kStartTimeoutMs = 60000;

constexpr DWORD Fourcc(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<unsigned char>(a)) |
           static_cast<DWORD>(static_cast<unsigned char>(b)) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(c)) << 16 |
           static_cast<DWORD>(static_cast<unsigned char>(d)) << 24;
}

// The scene every virtual camera films: eight bars over the upper three
// quarters, a grey ramp below with an orange square moving along it.
const Rgb kBars[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                      {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

bool IsMonoFormat(DWORD compression)
{
    return compression == Fourcc('Y', '8', '0', '0') || compression == Fourcc('Z', 'K', 'V', 'Y') ||
           compression == Fourcc('Z', 'Y', '1', '6');
}

// What the decoder shows for a scene colour: the colour itself, or its
// luminance on a mono camera.
Rgb Shown(Rgb c, bool mono)
{
    if (!mono)
        return c;
    const int y = (77 * c.r + 150 * c.g + 29 * c.b) >> 8;
    return Rgb{y, y, y};
}

bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::string Describe(Rgb c)
{
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", c.r, c.g, c.b);
    return text;
}

std::string ExpectedTitle(unsigned slot, ULONG serial)
{
    char text[128];
    std::snprintf(text, sizeof text, "Tessera Viewer - %u (Serial #: %u)", slot,
                  static_cast<unsigned>(serial));
    return text;
}

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

class ViewerWithCameras : public testing::Test {
protected:
    void SetUp() override
    {
        cameras_ = InstalledCameras();
        ASSERT_GE(cameras_.size(), 1u) << "the test prefix has no virtual camera installed";
        ASSERT_LE(cameras_.size(), 10u);
        for (const InstalledCamera& c : cameras_) {
            ASSERT_TRUE(c.bound && c.virtualCamera) << c.friendlyName;
            ASSERT_GT(c.width, 0) << c.friendlyName;
        }
        ASSERT_TRUE(viewer_.Start());
        // Every camera's window is shown, in slot order; no message on the way.
        const bool allShown = WaitUntil(
            [&] {
                return viewer_.CameraWindows().size() == cameras_.size() ||
                       !viewer_.MessageBoxes().empty() || !viewer_.Running();
            },
            kStartTimeoutMs);
        for (HWND box : viewer_.MessageBoxes()) {
            const MessageBoxText m = ViewerProcess::ReadMessageBox(box);
            ADD_FAILURE() << "message box " << m.caption << ": " << m.text;
        }
        ASSERT_TRUE(allShown && viewer_.Running());
        // A window is titled with its serial number once its graph is built.
        for (unsigned i = 0; i < cameras_.size(); ++i)
            windows_.push_back(FindWindowTitled(ExpectedTitle(i, cameras_[i].serialNumber)));
        for (unsigned i = 0; i < cameras_.size(); ++i)
            ASSERT_NE(windows_[i], nullptr) << "no window " << ExpectedTitle(i, cameras_[i].serialNumber);
        // Without a window manager every window opens at the same place:
        // lay them out apart so that each one's video can be read back, low
        // on the screen, away from where other programs' windows open.
        const int bottom = GetSystemMetrics(SM_CYSCREEN);
        for (unsigned i = 0; i < cameras_.size(); ++i)
            SetWindowPos(windows_[i], nullptr, static_cast<int>(i % 3) * 640,
                         bottom - static_cast<int>(i / 3 + 1) * 500, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void TearDown() override
    {
        for (HWND w : viewer_.CameraWindows())
            PostMessageA(w, WM_CLOSE, 0, 0);
        viewer_.WaitForExit(20000);
    }

    HWND FindWindowTitled(const std::string& title)
    {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND w : viewer_.CameraWindows()) {
                    if (WindowText(w) == title)
                        found = w;
                }
                return found != nullptr;
            },
            10000);
        return found;
    }

    // Reads the window's video once a few frames were drawn in its place and
    // no window of another program (a test running beside this one) covers it.
    ScreenPixels CaptureVideo(HWND w)
    {
        Sleep(400);
        EXPECT_TRUE(WaitUntil([&] { return !Covered(w); }, 20000)) << "window stays covered";
        return ScreenPixels::OfClientArea(w);
    }

    // True when a visible window above w in the z-order overlaps it.
    static bool Covered(HWND w)
    {
        RECT mine;
        GetWindowRect(w, &mine);
        for (HWND above = GetWindow(w, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
            RECT theirs, overlap;
            if (IsWindowVisible(above) && GetWindowRect(above, &theirs) &&
                IntersectRect(&overlap, &mine, &theirs))
                return true;
        }
        return false;
    }

    // The bars of the upper three quarters and the ramp below: colours,
    // their order and the picture's orientation.
    void ExpectScene(const ScreenPixels& shot, const InstalledCamera& camera)
    {
        ASSERT_FALSE(shot.Empty());
        const bool mono = IsMonoFormat(camera.compression);
        const int w = shot.Width();
        const int h = shot.Height();
        for (int bar = 0; bar < 8; ++bar) {
            const int x = (2 * bar + 1) * w / 16;
            const Rgb seen = shot.MeanAround(x, h * 3 / 8, 3);
            const Rgb want = Shown(kBars[bar], mono);
            EXPECT_TRUE(Near(seen, want, 24)) << camera.friendlyName << " bar " << bar << ": "
                                              << Describe(seen) << " instead of " << Describe(want);
        }
        // The square covers at most one sample and the edge of another.
        int rampMatches = 0;
        for (int tenth : {1, 3, 5, 7, 9}) {
            const int x = tenth * w / 10;
            const int level = tenth * 255 / 10;
            if (Near(shot.MeanAround(x, h * 7 / 8, 2), Rgb{level, level, level}, 24))
                ++rampMatches;
        }
        EXPECT_GE(rampMatches, 3) << camera.friendlyName << ": no grey ramp below the bars";
    }

    // The moving square changes the lower part of the picture over time.
    bool VideoMoves(HWND w)
    {
        const ScreenPixels before = CaptureVideo(w);
        return !before.Empty() &&
               WaitUntil([&] { return before.Differences(CaptureVideo(w)) > 0; }, 10000);
    }

    ComApartment com_;
    std::vector<InstalledCamera> cameras_;
    ViewerProcess viewer_;
    std::vector<HWND> windows_;
};

TEST_F(ViewerWithCameras, EachCameraHasATitledWindowOfItsVideoSizeShowingItsVideo)
{
    for (unsigned i = 0; i < cameras_.size(); ++i) {
        SCOPED_TRACE(cameras_[i].friendlyName);
        HWND w = windows_[i];
        RECT rc;
        GetWindowRect(w, &rc);
        EXPECT_EQ(rc.right - rc.left, cameras_[i].width);
        EXPECT_EQ(rc.bottom - rc.top, cameras_[i].height);
        // The renderer's window fills the client area.
        HWND video = GetWindow(w, GW_CHILD);
        ASSERT_NE(video, nullptr);
        RECT client, child;
        GetClientRect(w, &client);
        GetClientRect(video, &child);
        EXPECT_EQ(child.right, client.right);
        EXPECT_EQ(child.bottom, client.bottom);
        ExpectScene(CaptureVideo(w), cameras_[i]);
    }
    EXPECT_TRUE(viewer_.MessageBoxes().empty());
}

TEST_F(ViewerWithCameras, ResizedWindowKeepsTheVideoFillingIt)
{
    HWND w = windows_[0];
    SetWindowPos(w, nullptr, 0, 0, 400, 330, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    HWND video = GetWindow(w, GW_CHILD);
    ASSERT_NE(video, nullptr);
    RECT client = {}, child = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetClientRect(w, &client);
            GetClientRect(video, &child);
            return client.right < 400 && child.right == client.right && child.bottom == client.bottom;
        },
        5000))
        << "client " << client.right << "x" << client.bottom << ", video " << child.right << "x"
        << child.bottom;
    ExpectScene(CaptureVideo(w), cameras_[0]);
}

TEST_F(ViewerWithCameras, ClosingOneWindowStopsOnlyThatCamera)
{
    const size_t closed = cameras_.size() > 1 ? 1 : 0;
    PostMessageA(windows_[closed], WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(windows_[closed]); }, 10000));

    if (cameras_.size() > 1) {
        EXPECT_TRUE(viewer_.Running());
        for (size_t i = 0; i < cameras_.size(); ++i) {
            if (i == closed)
                continue;
            SCOPED_TRACE(cameras_[i].friendlyName);
            EXPECT_TRUE(IsWindowVisible(windows_[i]));
            EXPECT_TRUE(VideoMoves(windows_[i]));
        }
        for (size_t i = 0; i < cameras_.size(); ++i) {
            if (i != closed)
                PostMessageA(windows_[i], WM_CLOSE, 0, 0);
        }
    }
    ASSERT_TRUE(viewer_.WaitForExit(20000)) << "still running after its last window was closed";
    EXPECT_EQ(viewer_.ExitCode(), 0u);
}

struct ButtonSearch {
    const std::string* text;
    bool found;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM p)
{
    auto* s = reinterpret_cast<ButtonSearch*>(p);
    if (IsWindowVisible(child) && ClassName(child) == "Button" && WindowText(child) == *s->text)
        s->found = true;
    return !s->found;
}

// A visible button of the frame's pages with this text; WM_GETTEXT reaches
// into the viewer's process.
bool FrameShowsButton(HWND frame, const std::string& text)
{
    ButtonSearch search{&text, false};
    EnumChildWindows(frame, MatchButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ViewerWithCameras, VideoCaptureFilterCommandShowsTheFilterPages)
{
    HWND w = windows_[0];
    ASSERT_TRUE(viewer_.Windows("#32770").empty());
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDM_VIDEO_CAPTURE_FILTER, 0), 0);
    // The frame is a dialog of the viewer's process. The owner window and
    // the position (30, 30) are passed to the platform's frame, which under
    // Wine neither places nor owns it, so neither is checked here.
    HWND frame = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto dialogs = viewer_.Windows("#32770");
            frame = dialogs.empty() ? nullptr : dialogs[0];
            return frame != nullptr;
        },
        20000))
        << "no property frame";
    EXPECT_EQ(GetWindowThreadProcessId(frame, nullptr), GetWindowThreadProcessId(w, nullptr))
        << "the frame runs on the camera's thread";
    if (cameras_.size() > 1) {
        EXPECT_TRUE(VideoMoves(windows_[1])) << "the other cameras keep running";
    }

    HWND tabs = FindWindowExA(frame, nullptr, "SysTabControl32", nullptr);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(cameras_[0].pageCount));
    // A virtual camera's filter shows the video proc amp page, then the camera
    // control page; the streaming page is the pin's, not the filter's.
    if (cameras_[0].virtualCamera) {
        ASSERT_EQ(cameras_[0].pageCount, 2u);
        const char* const pageButtons[] = {"Absolute mode", "Software Trigger"};
        for (int i = 0; i < 2; ++i) {
            SendMessageA(frame, PSM_SETCURSEL, i, 0);
            EXPECT_TRUE(WaitUntil([&] { return FrameShowsButton(frame, pageButtons[i]); }, 10000))
                << pageButtons[i];
            EXPECT_FALSE(FrameShowsButton(frame, "Apply Format7 Settings"));
        }
    }

    // Cancelling closes the frame and hands the window back, still live.
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(frame); }, 10000));
    EXPECT_EQ(WindowText(w), ExpectedTitle(0, cameras_[0].serialNumber));
    EXPECT_TRUE(VideoMoves(w));
}

}  // namespace
