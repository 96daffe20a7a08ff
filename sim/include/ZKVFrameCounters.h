// Frames that the virtual cameras of one process delivered and dropped, for
// tests and long runs that watch a capture from outside: each process that
// streams from a virtual camera keeps one named shared section of counters,
// one entry per camera, keyed by its serial number.
#pragma once

#include <windows.h>

#include <cwchar>

struct ZKVFrameCounterEntry {
    volatile LONG serialNumber;  // 0: entry unused
    volatile LONG delivered;     // frames the downstream filter accepted
    volatile LONG dropped;       // frames lost: faults, failed deliveries, a stream that fell behind
};

constexpr ULONG kZKVFrameCounterEntries = 16;

struct ZKVFrameCounters {
    ZKVFrameCounterEntry cameras[kZKVFrameCounterEntries];
};

// The section's name for the process that streams.
inline void ZKVFrameCountersName(DWORD processId, wchar_t (&name)[64]) {
    std::swprintf(name, 64, L"Local\\ZkvVirtualCameraFrames.%lu", static_cast<unsigned long>(processId));
}
