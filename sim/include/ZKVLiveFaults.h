// Faults of a virtual camera that change while it is in use, from another
// process: one named shared section per camera, keyed by its serial number,
// holding a small fault table. Every filter object of that camera, in any
// process, consults the table besides its installed faults; a live fault wins
// over an installed one of the same point and key. The layout is the same
// for 32-bit and 64-bit processes.
#pragma once

#include <windows.h>

#include <cwchar>

struct ZKVLiveFault {
    LONG point;  // ZKVFaultPoint
    LONG key;    // ZKV_FAULT_ANY_KEY as -1
    LONG hr;     // a failure code
};

constexpr ULONG kZKVLiveFaultEntries = 32;

// Writers take `writer` (0 -> 1), make `generation` odd, change the table,
// make it even again and release `writer`. Readers copy the table when the
// generation is even and differs from the one they saw last, and keep the
// copy only if the generation did not move meanwhile.
struct ZKVLiveFaults {
    volatile LONG writer;
    volatile LONG generation;
    volatile LONG count;
    ZKVLiveFault faults[kZKVLiveFaultEntries];
};

// The section's name for the camera with this serial number.
inline void ZKVLiveFaultsName(ULONG serialNumber, wchar_t (&name)[64]) {
    std::swprintf(name, 64, L"Local\\ZkvVirtualCameraFaults.%lu", static_cast<unsigned long>(serialNumber));
}
