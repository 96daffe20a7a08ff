#include "PropertyFrame.h"

#include <commctrl.h>
#include <olectl.h>

#include <cstdlib>

namespace {

constexpr int kGiveUpTicks = 50;

struct Watch {
    const std::function<bool(HWND)>* look = nullptr;
    bool seen = false;
    int ticks = 0;
    int heldTicks = 0;
};
Watch g_watch;  // the frame is modal on this thread: one at a time

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK WatchFrame(HWND, UINT, UINT_PTR, DWORD) {
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&frame));
    if (frame == nullptr) return;
    if (!g_watch.seen) g_watch.seen = (*g_watch.look)(frame);
    if (!g_watch.seen && ++g_watch.ticks < kGiveUpTicks) return;
    if (const char* hold = std::getenv("ZKV_FRAME_HOLD_TICKS")) {
        if (g_watch.seen && ++g_watch.heldTicks < std::atoi(hold)) return;
    }
    PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
}

struct Search {
    int id;
    const char* cls;
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

}  // namespace

HRESULT ShowPropertyFrame(IUnknown* object, const std::vector<CLSID>& pages,
                          const std::function<bool(HWND frame)>& look) {
    g_watch = Watch{&look};
    std::vector<CLSID> list = pages;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, WatchFrame);
    const HRESULT hr = OleCreatePropertyFrame(nullptr, 0, 0, L"Camera", 1, &object, static_cast<ULONG>(list.size()),
                                              list.data(), 0, 0, nullptr);
    KillTimer(nullptr, timer);
    g_watch = Watch{};
    return hr;
}

HWND FindDescendant(HWND root, int id, const char* cls) {
    Search search{id, cls, nullptr};
    EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowTextOf(HWND hwnd) {
    char text[256] = {};
    if (hwnd != nullptr) GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::vector<std::string> TabTitles(HWND frame) {
    std::vector<std::string> titles;
    HWND tabs = FindDescendant(frame, 0, WC_TABCONTROLA);
    const int count = tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        titles.emplace_back(text);
    }
    return titles;
}
