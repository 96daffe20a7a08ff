#include "ProcessSampler.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

using QuerySystem = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// One query of the system information class into a buffer large enough.
bool QuerySystemInformation(ULONG infoClass, std::vector<unsigned char>* buffer)
{
    static const QuerySystem query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return false;
    buffer->resize(1 << 18);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(infoClass, buffer->data(), static_cast<ULONG>(buffer->size()), &needed);
        if (status != static_cast<LONG>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
            return status == 0;
        buffer->resize(needed > buffer->size() ? needed + 65536 : buffer->size() * 2);
    }
}

DWORD CountThreads(DWORD processId)
{
    std::vector<unsigned char> buffer;
    if (!QuerySystemInformation(SystemProcessInformation, &buffer))
        return 0;
    for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == processId)
            return entry->NumberOfThreads;
        if (!entry->NextEntryOffset)
            return 0;
        at += entry->NextEntryOffset;
    }
}

// The system's handle list, counted for one process. GetProcessHandleCount
// answers 0 under Wine, and the process list's HandleCount there is the
// size of the handle table, which only doubles.
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ULONG access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;

bool CountHandles(DWORD processId, DWORD* handles)
{
    std::vector<unsigned char> buffer;
    if (!QuerySystemInformation(kSystemHandleInformation, &buffer))
        return false;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        if (list->entries[i].processId == static_cast<USHORT>(processId))
            ++count;
    }
    *handles = count;
    return true;
}

// The committed private regions of the address space: what the process
// allocated and holds (its heaps, stacks and buffers). PrivateUsage of the
// memory counters stays 0 under Wine.
unsigned long long CommittedPrivateBytes(HANDLE process)
{
    unsigned long long bytes = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return bytes;
}

}  // namespace

bool SampleProcess(HANDLE process, DWORD processId, ProcessSample* sample)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, &memory, sizeof memory))
        return false;
    if (!CountHandles(processId, &sample->handles))
        return false;
    sample->threads = CountThreads(processId);
    sample->residentBytes = memory.WorkingSetSize;
    sample->committedBytes = CommittedPrivateBytes(process);
    return sample->threads > 0 && sample->committedBytes > 0;
}
