#include "FrameCounters.h"

#include "ZKVFrameCounters.h"

namespace zkvfilter {
namespace {

// Created on first use and kept for the life of the process, so that a reader
// finds the counts of cameras whose graphs have ended too.
ZKVFrameCounters* Section() {
    static ZKVFrameCounters* const section = [] {
        wchar_t name[64];
        ZKVFrameCountersName(GetCurrentProcessId(), name);
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(ZKVFrameCounters), name);
        if (!mapping) return static_cast<ZKVFrameCounters*>(nullptr);
        return static_cast<ZKVFrameCounters*>(
            MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ZKVFrameCounters)));
    }();
    return section;
}

ZKVFrameCounterEntry* EntryFor(ZKVFrameCounters* section, LONG serial) {
    for (ZKVFrameCounterEntry& entry : section->cameras) {
        const LONG owner = InterlockedCompareExchange(&entry.serialNumber, serial, 0);
        if (owner == 0 || owner == serial) return &entry;
    }
    return nullptr;
}

}  // namespace

void CountFrames(ULONG serialNumber, LONG delivered, LONG dropped) {
    ZKVFrameCounters* section = Section();
    if (!section || serialNumber == 0) return;
    ZKVFrameCounterEntry* entry = EntryFor(section, static_cast<LONG>(serialNumber));
    if (!entry) return;
    if (delivered) InterlockedExchangeAdd(&entry->delivered, delivered);
    if (dropped) InterlockedExchangeAdd(&entry->dropped, dropped);
}

}  // namespace zkvfilter
