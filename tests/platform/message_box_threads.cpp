// Ten threads open a message box at the same moment; a timer on each thread
// presses OK a moment later. No code of the project is involved: a failure of
// this program is a fault of the platform it runs on.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kThreads = 10;
constexpr UINT kCloseAfterMs = 300;

HANDLE g_start;

BOOL CALLBACK PressOk(HWND hwnd, LPARAM)
{
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), PressOk, 0);
}

DWORD WINAPI ShowBox(LPVOID)
{
    WaitForSingleObject(g_start, INFINITE);
    const UINT_PTR timer = SetTimer(nullptr, 0, kCloseAfterMs, CloseBoxes);
    const int answer = MessageBoxA(nullptr, "message box thread", "Platform", MB_OK);
    KillTimer(nullptr, timer);
    return answer == IDOK ? 0 : 1;
}

}  // namespace

int main()
{
    g_start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[kThreads];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, ShowBox, nullptr, 0, nullptr);
    SetEvent(g_start);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    int failed = 0;
    for (HANDLE t : threads) {
        DWORD code = 1;
        GetExitCodeThread(t, &code);
        failed += code != 0;
        CloseHandle(t);
    }
    CloseHandle(g_start);
    std::printf("%d of %d message boxes answered\n", kThreads - failed, kThreads);
    return failed == 0 ? 0 : 1;
}
