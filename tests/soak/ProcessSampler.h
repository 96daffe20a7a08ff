// What the soak watches of the viewer's process: its memory, resident and
// committed, and how many handles and threads it holds.
#pragma once

#include <windows.h>

struct ProcessSample {
    unsigned long long residentBytes;   // working set
    unsigned long long committedBytes;  // committed private pages of the address space
    DWORD handles;
    DWORD threads;
};

// False when the process could not be read (it ended, or access was refused).
bool SampleProcess(HANDLE process, DWORD processId, ProcessSample* sample);
