#include "CameraInstaller.h"

#include <windows.h>

#include "InstalledCameras.h"
#include "ViewerProcess.h"

namespace {

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

bool RunCameraSetup(const std::string& arguments)
{
    const std::wstring bin = BinDir();
    const std::wstring exe = bin + L"ZkvCameraSetup.exe";
    std::wstring commandLine = L"\"" + exe + L"\" ";
    commandLine += arguments == "uninstall" ? L"uninstall" : L"install";
    commandLine += L" \"" + bin + L"ZkvVirtualCamera.ax\"";
    if (arguments != "uninstall" && !arguments.empty())
        commandLine += L" " + Widen(arguments);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

CameraSetScope::CameraSetScope() : previousCount_(InstalledCameras().size()) {}

CameraSetScope::~CameraSetScope()
{
    if (previousCount_ == 0)
        RunCameraSetup("uninstall");
    else
        RunCameraSetup(std::to_string(previousCount_));
}
