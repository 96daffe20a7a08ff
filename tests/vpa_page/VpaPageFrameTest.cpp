// The page in a real property frame, as the viewer's menu command opens it for
// a camera's capture filter.
#include <windows.h>
#include <commctrl.h>
#include <dshow.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "VideoProcAmpPageIds.h"
#include "VpaPageFixture.h"
#include "ZKVPluginClasses.h"

namespace {

struct FrameSeen {
    bool found = false;
    std::string tabTitle;
    std::string absoluteBox;
    bool absoluteChecked = false;
    std::string registerGroupName;
    int waitedTicks = 0;
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

HWND FindFrame() {
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&frame));
    return frame;
}

struct Search {
    int id;
    const char* cls;  // match by class instead of id when set
    HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if ((s->cls && std::string(cls) == s->cls) || (!s->cls && GetDlgCtrlID(hwnd) == s->id)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND root, int id, const char* cls) {
    Search search{id, cls, nullptr};
    EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Looks at the frame once it is up, then closes it as the user's Cancel does.
void CALLBACK WatchFrame(HWND, UINT, UINT_PTR, DWORD) {
    HWND frame = FindFrame();
    if (frame == nullptr) return;
    HWND absolute = FindDescendant(frame, IDC_ABSOLUTE_MODE, nullptr);
    if (absolute == nullptr && ++g_seen.waitedTicks < 50) return;
    if (absolute != nullptr && !g_seen.found) {
        g_seen.found = true;
        char text[128] = {};
        GetWindowTextA(absolute, text, sizeof text);
        g_seen.absoluteBox = text;
        g_seen.absoluteChecked = SendMessageA(absolute, BM_GETCHECK, 0, 0) == BST_CHECKED;
        HWND name = FindDescendant(frame, IDC_REG_NAME, nullptr);
        GetWindowTextA(name, text, sizeof text);
        g_seen.registerGroupName = text;
        if (HWND tabs = FindDescendant(frame, 0, WC_TABCONTROLA)) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            if (SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) g_seen.tabTitle = text;
        }
    }
    // ZKV_FRAME_HOLD_TICKS keeps the frame up longer, for a look at it.
    if (const char* hold = std::getenv("ZKV_FRAME_HOLD_TICKS")) {
        if (absolute != nullptr && ++g_seen.shownTicks < std::atoi(hold)) return;
    }
    PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
}

TEST(VpaPageFrame, ShowsThePageForTheCaptureFilter) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CameraUnderTest camera;
        ASSERT_TRUE(OpenCameraUnderTest(&camera));
        // The filter lists the page among its property pages.
        ISpecifyPropertyPages* specify = nullptr;
        ASSERT_EQ(camera.filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)),
                  S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        specify->Release();
        bool listed = false;
        for (ULONG i = 0; i < pages.cElems; ++i) listed |= pages.pElems[i] == CLSID_ZKVVideoProcAmpPage;
        CoTaskMemFree(pages.pElems);
        EXPECT_TRUE(listed);

        CLSID page = CLSID_ZKVVideoProcAmpPage;
        IUnknown* object = camera.filter;
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, WatchFrame);
        const HRESULT hr =
            OleCreatePropertyFrame(nullptr, 0, 0, L"Camera", 1, &object, 1, &page, 0, 0, nullptr);
        KillTimer(nullptr, timer);
        EXPECT_EQ(hr, S_OK);
        EXPECT_TRUE(g_seen.found);
        EXPECT_EQ(g_seen.tabTitle, "ZKV Video Proc Amp Property Page");
        EXPECT_EQ(g_seen.absoluteBox, "Absolute mode");
        EXPECT_TRUE(g_seen.absoluteChecked);
        EXPECT_EQ(g_seen.registerGroupName, "Unknown");
    }
    CoUninitialize();
}

}  // namespace
