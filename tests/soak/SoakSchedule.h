// The fixed schedule of a soak: step i works camera i mod N with the action
// (i / N) mod 5 of the table, so every camera meets every action in turn:
// its property frame opened and cancelled, its frame rate switched and back
// and a mode change refused, features set on the video proc amp page, registers
// read and written in the register editor, and a failure and its recovery
// through the camera's live fault points.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FrameCounterReader.h"
#include "LiveFaults.h"
#include "SoakLog.h"
#include "ViewerProcess.h"

struct SoakCamera {
    HWND window;
    ULONG serialNumber;
};

class SoakSchedule {
public:
    SoakSchedule(const ViewerProcess& viewer, SoakLog& log, const LiveFaults& faults,
                 std::vector<SoakCamera> cameras);

    void RunStep(unsigned step);

private:
    void OpenAndCancel(const SoakCamera& camera);
    void SwitchFormatAndBack(const SoakCamera& camera);
    void SetFeatures(const SoakCamera& camera, unsigned round);
    void ReadAndWriteRegisters(const SoakCamera& camera);
    void FailAndRecover(const SoakCamera& camera);
    bool LiveFaultsAvailable(const SoakCamera& camera);
    // Waits until the camera's delivered count moves (or, with moving false,
    // stays put for a second); false when that did not happen in timeoutMs.
    bool WaitForDelivery(const SoakCamera& camera, bool moving, DWORD timeoutMs);

    void Result(const SoakCamera& camera, const char* action, bool ok, const std::string& detail);
    void Skip(const SoakCamera& camera, const char* action, const std::string& detail);

    const ViewerProcess& viewer_;
    SoakLog& log_;
    const LiveFaults& faults_;
    std::vector<SoakCamera> cameras_;
    FrameCounterReader counters_;
    int liveFaults_ = -1;  // unknown until first tried
};
