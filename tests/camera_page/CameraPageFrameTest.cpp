// The capture filter's pages in a real property frame, as the viewer's menu
// command opens them: the video proc amp page, then the camera control page.
#include <windows.h>
#include <commctrl.h>
#include <dshow.h>
#include <olectl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CameraControlPageIds.h"
#include "VpaPageFixture.h"

namespace {

struct FrameSeen {
    std::vector<std::string> tabs;
    std::string softwareTrigger;  // the camera control page's button, once its tab is shown
    int ticks = 0;
    int shownTicks = 0;
};
FrameSeen g_seen;

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindControl(HWND hwnd, LPARAM found) {
    if (GetDlgCtrlID(hwnd) == IDC_SOFTWARE_TRIGGER && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Reads the tabs, shows the second page, reads it, then cancels the frame.
void CALLBACK WatchFrame(HWND, UINT, UINT_PTR, DWORD) {
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&frame));
    if (frame == nullptr) return;
    HWND tabs = FindWindowExA(frame, nullptr, WC_TABCONTROLA, nullptr);
    if (g_seen.tabs.empty() && tabs != nullptr) {
        const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[128] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            g_seen.tabs.emplace_back(text);
        }
        SendMessageA(frame, PSM_SETCURSEL, 1, 0);
        return;
    }
    HWND button = nullptr;
    EnumChildWindows(frame, FindControl, reinterpret_cast<LPARAM>(&button));
    if (button == nullptr && ++g_seen.ticks < 30) return;
    if (button != nullptr && g_seen.softwareTrigger.empty()) {
        char text[64] = {};
        GetWindowTextA(button, text, sizeof text);
        g_seen.softwareTrigger = text;
    }
    // ZKV_FRAME_HOLD_TICKS keeps the frame up longer, for a look at it.
    if (const char* hold = std::getenv("ZKV_FRAME_HOLD_TICKS")) {
        if (button != nullptr && ++g_seen.shownTicks < std::atoi(hold)) return;
    }
    PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
}

TEST(CameraPageFrame, TheFilterFrameShowsBothFilterPages) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CameraUnderTest camera;
        ASSERT_TRUE(OpenCameraUnderTest(&camera));
        ISpecifyPropertyPages* specify = nullptr;
        ASSERT_EQ(camera.filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)),
                  S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        specify->Release();
        IUnknown* object = camera.filter;
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, WatchFrame);
        const HRESULT hr = OleCreatePropertyFrame(nullptr, 0, 0, L"Camera", 1, &object, pages.cElems,
                                                  pages.pElems, 0, 0, nullptr);
        KillTimer(nullptr, timer);
        CoTaskMemFree(pages.pElems);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(g_seen.tabs, (std::vector<std::string>{"ZKV Video Proc Amp Property Page",
                                                          "ZKV Camera Control Property Page"}));
        EXPECT_EQ(g_seen.softwareTrigger, "Software Trigger");
    }
    CoUninitialize();
}

}  // namespace
