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

// The memory channels device n keeps under its registry key (as long as it
// is registered): S_FALSE from the load when the channel was never saved.
HRESULT LoadMemoryChannel(std::uint32_t device, std::uint32_t channel, std::vector<std::uint32_t>* words);
HRESULT SaveMemoryChannel(std::uint32_t device, std::uint32_t channel, const std::vector<std::uint32_t>& words);

// The serial number of the registered device n; S_FALSE when there is none.
HRESULT RegisteredSerialNumber(std::uint32_t device, std::uint32_t* serialNumber);

// The default set: n devices with the default kinds.
std::vector<zkvsim::DeviceSettings> DefaultDevices(std::uint32_t count);

}  // namespace zkvfilter
