// Registration of the module's COM class and of its devices in the video
// input device category, in the registry view of the calling process.
#pragma once

#include <windows.h>

#include <vector>

#include "DeviceSettings.h"

namespace zkvfilter {

HRESULT RegisterFilterClass(const wchar_t* modulePath);
HRESULT UnregisterFilterClass();

// Replaces every device of this module with the given ones.
HRESULT RegisterDevices(const std::vector<zkvsim::DeviceSettings>& devices);
HRESULT UnregisterDevices();

// The default set: n devices with the default kinds.
std::vector<zkvsim::DeviceSettings> DefaultDevices(std::uint32_t count);

}  // namespace zkvfilter
