#include "ProcessSampler.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace {

DWORD CountThreads(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

bool SampleProcess(HANDLE process, DWORD processId, ProcessSample* sample)
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof memory))
        return false;
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles))
        return false;
    sample->residentBytes = memory.WorkingSetSize;
    sample->committedBytes = memory.PrivateUsage;
    sample->handles = handles;
    sample->threads = CountThreads(processId);
    return sample->threads > 0;
}
