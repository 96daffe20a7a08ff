// The native build's stand-ins for the platform services, and what they saw:
// tests and fuzzers drive DriverProc without Windows and inspect this record.
#pragma once

#include "CodecPlatform.h"

struct CodecStubState {
    int failingAllocations = 0;  // the next this many CodecLocalAlloc calls fail
    int liveAllocations = 0;     // blocks allocated and not yet freed
    int aboutBoxes = 0;
    HWND lastAboutOwner = nullptr;
    int defDriverProcCalls = 0;
    LRESULT defDriverProcResult = 0;  // what the stand-in DefDriverProc returns
    DWORD_PTR lastDefDriverId = 0;
    HDRVR lastDefDriver = nullptr;
    UINT lastDefMessage = 0;
    LPARAM lastDefLParam1 = 0;
    LPARAM lastDefLParam2 = 0;
};

// The one record of the stand-ins; reset it by assigning CodecStubState{}.
CodecStubState& CodecStub();
