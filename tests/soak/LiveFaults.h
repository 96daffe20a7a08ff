// Faults set on a running camera from outside its process, through the
// installer's live commands:
//   ZkvCameraSetup live <serial> fault <point:key:hr>
//   ZkvCameraSetup live <serial> clear
#pragma once

#include <windows.h>

#include <string>

class LiveFaults {
public:
    // setupTool: the full Windows path of ZkvCameraSetup.exe.
    explicit LiveFaults(std::wstring setupTool) : tool_(std::move(setupTool)) {}

    // The tool's exit code; -1 when it could not be started or did not end.
    int Set(ULONG serialNumber, const char* fault) const;
    int Clear(ULONG serialNumber) const;

private:
    int Run(const std::wstring& arguments) const;

    std::wstring tool_;
};
