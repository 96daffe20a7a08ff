#include "LiveFaults.h"

int LiveFaults::Run(const std::wstring& arguments) const
{
    std::wstring commandLine = L"\"" + tool_ + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(tool_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
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
