// The COM class of the virtual camera's capture filter.
#pragma once

#include <windows.h>

// {5C2F7B1E-3A8D-4E61-9B0C-7D4E2A9F1C38}
inline constexpr CLSID CLSID_ZkvVirtualCamera =
    {0x5c2f7b1e, 0x3a8d, 0x4e61, {0x9b, 0x0c, 0x7d, 0x4e, 0x2a, 0x9f, 0x1c, 0x38}};
