#include "FrameCounterReader.h"

FrameCounterReader::~FrameCounterReader()
{
    if (view_)
        UnmapViewOfFile(view_);
    if (section_)
        CloseHandle(section_);
}

std::vector<CameraFrames> FrameCounterReader::Read()
{
    std::vector<CameraFrames> cameras;
    if (!view_) {
        wchar_t name[64];
        ZKVFrameCountersName(processId_, name);
        section_ = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
        if (!section_)
            return cameras;
        view_ = static_cast<const ZKVFrameCounters*>(
            MapViewOfFile(section_, FILE_MAP_READ, 0, 0, sizeof(ZKVFrameCounters)));
        if (!view_) {
            CloseHandle(section_);
            section_ = nullptr;
            return cameras;
        }
    }
    for (const ZKVFrameCounterEntry& entry : view_->cameras) {
        if (entry.serialNumber != 0)
            cameras.push_back({static_cast<ULONG>(entry.serialNumber),
                               static_cast<ULONG>(entry.delivered),
                               static_cast<ULONG>(entry.dropped)});
    }
    return cameras;
}

bool FrameCounterReader::Find(ULONG serialNumber, CameraFrames* frames)
{
    for (const CameraFrames& camera : Read()) {
        if (camera.serialNumber == serialNumber) {
            *frames = camera;
            return true;
        }
    }
    return false;
}
