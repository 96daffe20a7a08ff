// Drives a real Tessera.exe from a test: starts it as a separate process,
// finds its camera windows and message boxes, reads them and answers them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct MessageBoxText {
    std::string caption;
    std::string text;
};

// Polls pred every 20 ms until it holds or timeoutMs passed; returns pred().
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs);

std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// The directory of the test's binaries (ZKV_BIN_DIR, as a Windows path),
// with a trailing backslash; empty when unset.
std::wstring BinDir();

class ViewerProcess {
public:
    ViewerProcess() = default;
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;
    // Ends the process if a test left it running.
    ~ViewerProcess();

    // Starts BinDir()\Tessera.exe.
    bool Start();
    DWORD Id() const { return info_.dwProcessId; }

    // Top-level windows of the process: visible ones of the class, all if empty.
    std::vector<HWND> Windows(const char* className, bool visibleOnly = true) const;
    std::vector<HWND> CameraWindows() const { return Windows("Tessera"); }
    std::vector<HWND> MessageBoxes() const { return Windows("#32770"); }
    static MessageBoxText ReadMessageBox(HWND box);
    // Presses OK on a message box.
    static void Dismiss(HWND box);

    // Reads and dismisses every message box the process shows until it ends
    // or timeoutMs pass; cameraWindowSeen reports a visible camera window
    // at any moment in between.
    std::vector<MessageBoxText> AnswerMessageBoxesUntilExit(DWORD timeoutMs,
                                                            bool* cameraWindowSeen = nullptr);

    // Threads of the process that began where the thread owning `window`
    // began. For a camera window: the camera threads still running, which
    // tells a test when every failed slot has given up.
    size_t ThreadsStartedLike(HWND window) const;

    bool WaitForExit(DWORD timeoutMs);
    bool Running() const;
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION info_ = {};
};
