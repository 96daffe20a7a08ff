// The writing side of the shared frame counters (ZKVFrameCounters.h).
#pragma once

#include <windows.h>

namespace zkvfilter {

// Adds to the counters of the camera with this serial number; counters that
// cannot be kept (no section, every entry taken) are left out silently.
void CountFrames(ULONG serialNumber, LONG delivered, LONG dropped);

}  // namespace zkvfilter
