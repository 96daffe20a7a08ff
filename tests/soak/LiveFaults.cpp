#include "LiveFaults.h"

int LiveFaults::Run(const std::wstring& arguments) const
{
    std::wstring commandLine = L"\"" + tool_ + L"\" " + arguments;
    // The tool's lines would fill the soak's output: its exit code says it all.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (nul != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
    }
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessW(tool_.c_str(), &commandLine[0], nullptr, nullptr,
                                        nul != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &si, &pi);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, static_cast<UINT>(-1));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

int LiveFaults::Set(ULONG serialNumber, const char* fault) const
{
    std::wstring arguments = L"live " + std::to_wstring(serialNumber) + L" fault ";
    for (const char* c = fault; *c; ++c)
        arguments += static_cast<wchar_t>(*c);
    return Run(arguments);
}

int LiveFaults::Clear(ULONG serialNumber) const
{
    return Run(L"live " + std::to_wstring(serialNumber) + L" clear");
}
