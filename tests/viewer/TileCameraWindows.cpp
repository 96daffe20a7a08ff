// Places the Tessera camera windows side by side, left to right and then row
// by row, for a screenshot on a display without a window manager (where every
// window opens at the same default place). Used by scripts/demo.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectCameraWindow(HWND hwnd, LPARAM param)
{
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (IsWindowVisible(hwnd) && std::strcmp(name, "Tessera") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::string Title(HWND hwnd)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

}  // namespace

int main()
{
    std::vector<HWND> windows;
    EnumWindows(CollectCameraWindow, reinterpret_cast<LPARAM>(&windows));
    // Slot order: the titles start "Tessera Viewer - <slot>".
    std::sort(windows.begin(), windows.end(), [](HWND a, HWND b) { return Title(a) < Title(b); });
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int x = 0, y = 0, rowHeight = 0;
    for (HWND w : windows) {
        RECT rc;
        GetWindowRect(w, &rc);
        const int width = rc.right - rc.left;
        const int height = rc.bottom - rc.top;
        if (x > 0 && x + width > screenWidth) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        x += width;
        rowHeight = std::max(rowHeight, height);
    }
    return windows.empty() ? 1 : 0;
}
