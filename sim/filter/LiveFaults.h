// The live fault table of one camera (ZKVLiveFaults.h): the filter reads it,
// ZkvCameraSetup's "live" command changes it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "DeviceSettings.h"
#include "ZKVLiveFaults.h"

namespace zkvfilter {

class LiveFaultSection {
public:
    // The section of the camera with this serial number; create makes it
    // when no process has it. Null when it cannot be had.
    static std::unique_ptr<LiveFaultSection> Open(ULONG serialNumber, bool create, HRESULT* hr = nullptr);
    ~LiveFaultSection();
    LiveFaultSection(const LiveFaultSection&) = delete;
    LiveFaultSection& operator=(const LiveFaultSection&) = delete;

    // The table, when its generation is no longer *generation (then updated);
    // false when unchanged or being changed right now.
    bool Read(std::uint32_t* generation, std::vector<zkvsim::FaultSpec>* faults) const;
    // Adds a fault, replacing one of the same point and key.
    HRESULT Add(const zkvsim::FaultSpec& fault);
    HRESULT Clear();

private:
    LiveFaultSection(HANDLE mapping, ZKVLiveFaults* view) : m_mapping(mapping), m_view(view) {}
    bool LockWriter();
    void UnlockWriter();

    HANDLE m_mapping;
    ZKVLiveFaults* m_view;
};

}  // namespace zkvfilter
