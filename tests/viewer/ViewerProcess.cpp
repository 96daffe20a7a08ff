#include "ViewerProcess.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <set>

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs)
            return pred();
        Sleep(20);
    }
    return true;
}

std::string WindowText(HWND hwnd)
{
    char text[2048] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassName(HWND hwnd)
{
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::wstring BinDir()
{
    const wchar_t* dir = _wgetenv(L"ZKV_BIN_DIR");
    if (!dir || !*dir)
        return std::wstring();
    std::wstring path(dir);
    // ctest hands over a Unix path; Wine maps it through drive Z:.
    if (path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    if (path.back() != L'\\')
        path += L'\\';
    return path;
}

ViewerProcess::~ViewerProcess()
{
    if (!info_.hProcess)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ViewerProcess::Start()
{
    std::wstring exe = BinDir() + L"Tessera.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // Under load Wine has been seen to refuse a process start once; a second
    // refusal is the test's failure, with its error code on record.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &si, &info_))
            return true;
        std::fprintf(stderr, "CreateProcess(Tessera.exe) failed: error %lu\n",
                     static_cast<unsigned long>(GetLastError()));
        Sleep(500);
    }
    return false;
}

namespace {

struct WindowQuery {
    DWORD pid;
    const char* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    WindowQuery* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != q->pid)
        return TRUE;
    if (q->visibleOnly && !IsWindowVisible(hwnd))
        return TRUE;
    if (q->className && *q->className && ClassName(hwnd) != q->className)
        return TRUE;
    q->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> ViewerProcess::Windows(const char* className, bool visibleOnly) const
{
    WindowQuery q{info_.dwProcessId, className, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

MessageBoxText ViewerProcess::ReadMessageBox(HWND box)
{
    MessageBoxText m;
    m.caption = WindowText(box);
    if (HWND text = GetDlgItem(box, 0xFFFF))
        m.text = WindowText(text);
    return m;
}

void ViewerProcess::Dismiss(HWND box)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::vector<MessageBoxText> ViewerProcess::AnswerMessageBoxesUntilExit(DWORD timeoutMs,
                                                                       bool* cameraWindowSeen)
{
    std::vector<MessageBoxText> seen;
    std::set<HWND> answered;
    WaitUntil(
        [&] {
            if (cameraWindowSeen && !CameraWindows().empty())
                *cameraWindowSeen = true;
            for (HWND box : MessageBoxes()) {
                if (answered.insert(box).second)
                    seen.push_back(ReadMessageBox(box));
                Dismiss(box);
            }
            return !Running();
        },
        timeoutMs);
    return seen;
}

namespace {

// Where a thread began (ThreadQuerySetWin32StartAddress); null when unknown.
void* ThreadStart(DWORD threadId)
{
    using QueryThread = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const QueryThread query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    void* start = nullptr;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread)
        return nullptr;
    if (!query || query(thread, 9, &start, sizeof start, nullptr) != 0)
        start = nullptr;
    CloseHandle(thread);
    return start;
}

}  // namespace

size_t ViewerProcess::ThreadsStartedLike(HWND window) const
{
    void* const start = ThreadStart(GetWindowThreadProcessId(window, nullptr));
    if (!start)
        return 0;
    size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == info_.dwProcessId && ThreadStart(entry.th32ThreadID) == start)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

bool ViewerProcess::WaitForExit(DWORD timeoutMs)
{
    return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ViewerProcess::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ViewerProcess::ExitCode() const
{
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}
