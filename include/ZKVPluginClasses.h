// CLSIDs of the plug-in's property pages. Whoever lists a camera's pages
// (the device installation, or the virtual camera) names them by these.
#pragma once

#include <windows.h>

// {E8BF73CE-BB8B-44A6-9179-8AA0D6CB98F7}
inline constexpr GUID CLSID_ZKVStreamingConfigPage =
    {0xe8bf73ce, 0xbb8b, 0x44a6, {0x91, 0x79, 0x8a, 0xa0, 0xd6, 0xcb, 0x98, 0xf7}};
// {9644FD77-CB90-4196-811D-676FDAE2650F}
inline constexpr GUID CLSID_ZKVVideoProcAmpPage =
    {0x9644fd77, 0xcb90, 0x4196, {0x81, 0x1d, 0x67, 0x6f, 0xda, 0xe2, 0x65, 0x0f}};
// {3C5E2B7A-9D41-4F0C-A6E3-5B8D1F27C940}
inline constexpr GUID CLSID_ZKVCameraControlPage =
    {0x3c5e2b7a, 0x9d41, 0x4f0c, {0xa6, 0xe3, 0x5b, 0x8d, 0x1f, 0x27, 0xc9, 0x40}};
