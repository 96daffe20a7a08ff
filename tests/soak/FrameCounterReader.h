// Reads, from outside, the frames every virtual camera of a streaming process
// delivered and dropped (the process's shared counter section).
#pragma once

#include <windows.h>

#include <vector>

#include "ZKVFrameCounters.h"

struct CameraFrames {
    ULONG serialNumber;
    ULONG delivered;
    ULONG dropped;
};

class FrameCounterReader {
public:
    explicit FrameCounterReader(DWORD processId) : processId_(processId) {}
    FrameCounterReader(const FrameCounterReader&) = delete;
    FrameCounterReader& operator=(const FrameCounterReader&) = delete;
    ~FrameCounterReader();

    // The cameras in use; empty until the process has begun to stream.
    std::vector<CameraFrames> Read();
    // The counts of one camera; false when it has no entry.
    bool Find(ULONG serialNumber, CameraFrames* frames);

private:
    DWORD processId_;
    HANDLE section_ = nullptr;
    const ZKVFrameCounters* view_ = nullptr;
};
