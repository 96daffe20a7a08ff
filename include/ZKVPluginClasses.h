// CLSIDs of the plug-in's two property pages. Whoever lists a camera's pages
// (the device installation, or the virtual camera) names them by these.
#pragma once

#include <windows.h>

// {E8BF73CE-BB8B-44A6-9179-8AA0D6CB98F7}
inline constexpr GUID CLSID_ZKVStreamingConfigPage =
    {0xe8bf73ce, 0xbb8b, 0x44a6, {0x91, 0x79, 0x8a, 0xa0, 0xd6, 0xcb, 0x98, 0xf7}};
// {9644FD77-CB90-4196-811D-676FDAE2650F}
inline constexpr GUID CLSID_ZKVVideoProcAmpPage =
    {0x9644fd77, 0xcb90, 0x4196, {0x81, 0x1d, 0x67, 0x6f, 0xda, 0xe2, 0x65, 0x0f}};
