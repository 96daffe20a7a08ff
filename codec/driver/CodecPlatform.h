// The few platform records, constants and services the codec uses. On Windows
// they come from the platform headers; elsewhere (the native build, its tests
// and fuzzers) the records are declared here with the published layouts, and
// the services are stubs (CodecPlatformNative.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>
#else

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using WCHAR = char16_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using LPVOID = void*;
using HDRVR = struct HDRVR__*;
using HWND = struct HWND__*;
#define CALLBACK

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;

struct ICOPEN {
    DWORD dwSize;
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwVersion;
    DWORD dwFlags;
    LRESULT dwError;
    LPVOID pV1Reserved;
    LPVOID pV2Reserved;
    DWORD dnDevNode;
};

struct ICINFO {
    DWORD dwSize;
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwVersion;
    DWORD dwVersionICM;
    WCHAR szName[16];
    WCHAR szDescription[128];
    WCHAR szDriver[128];
};

struct ICDECOMPRESS {
    DWORD dwFlags;
    LPBITMAPINFOHEADER lpbiInput;
    LPVOID lpInput;
    LPBITMAPINFOHEADER lpbiOutput;
    LPVOID lpOutput;
    DWORD ckid;
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD ICVERSION = 0x0104;

constexpr UINT DRV_LOAD = 1;
constexpr UINT DRV_ENABLE = 2;
constexpr UINT DRV_OPEN = 3;
constexpr UINT DRV_CLOSE = 4;
constexpr UINT DRV_DISABLE = 5;
constexpr UINT DRV_FREE = 6;
constexpr UINT DRV_CONFIGURE = 7;
constexpr UINT DRV_QUERYCONFIGURE = 8;
constexpr UINT DRV_INSTALL = 9;
constexpr UINT DRV_REMOVE = 10;
constexpr UINT DRV_EXITSESSION = 11;
constexpr UINT DRV_POWER = 15;
constexpr UINT DRV_USER = 0x4000;

constexpr UINT ICM_COMPRESS_GET_FORMAT = 0x4004;
constexpr UINT ICM_COMPRESS_GET_SIZE = 0x4005;
constexpr UINT ICM_COMPRESS_QUERY = 0x4006;
constexpr UINT ICM_COMPRESS_BEGIN = 0x4007;
constexpr UINT ICM_COMPRESS = 0x4008;
constexpr UINT ICM_COMPRESS_END = 0x4009;
constexpr UINT ICM_DECOMPRESS_GET_FORMAT = 0x400A;
constexpr UINT ICM_DECOMPRESS_QUERY = 0x400B;
constexpr UINT ICM_DECOMPRESS_BEGIN = 0x400C;
constexpr UINT ICM_DECOMPRESS = 0x400D;
constexpr UINT ICM_DECOMPRESS_END = 0x400E;
constexpr UINT ICM_DRAW_BEGIN = 0x400F;
constexpr UINT ICM_DRAW_START = 0x4012;
constexpr UINT ICM_DRAW_STOP = 0x4013;
constexpr UINT ICM_DRAW_END = 0x4015;
constexpr UINT ICM_DECOMPRESS_GET_PALETTE = 0x401E;
constexpr UINT ICM_DRAW_QUERY = 0x401F;
constexpr UINT ICM_DRAW = 0x4021;
constexpr UINT ICM_DRAW_WINDOW = 0x4022;
constexpr UINT ICM_GETSTATE = 0x5000;
constexpr UINT ICM_SETSTATE = 0x5001;
constexpr UINT ICM_GETINFO = 0x5002;
constexpr UINT ICM_CONFIGURE = 0x500A;
constexpr UINT ICM_ABOUT = 0x500B;
constexpr UINT ICM_GETDEFAULTQUALITY = 0x501E;

constexpr LRESULT ICERR_OK = 0;
constexpr LRESULT ICERR_UNSUPPORTED = -1;
constexpr LRESULT ICERR_BADFORMAT = -2;
constexpr LRESULT ICERR_MEMORY = -3;
constexpr LRESULT ICERR_ERROR = -100;

#endif  // _WIN32

static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(ICINFO) == 568, "ICINFO is 568 bytes");
static_assert(sizeof(ICOPEN) == (sizeof(void*) == 8 ? 56 : 36), "ICOPEN layout");
static_assert(sizeof(ICDECOMPRESS) == (sizeof(void*) == 8 ? 48 : 24), "ICDECOMPRESS layout");
static_assert(sizeof(WCHAR) == 2, "wide characters are UTF-16 units");
static_assert(sizeof(LRESULT) == sizeof(void*), "LRESULT holds a pointer");

// The largest bitmap information header the platform defines (version 5).
constexpr DWORD kLargestBitmapHeaderSize = 124;

// Services of the platform: the local heap, the default driver procedure and
// the About box. Windows maps them to LocalAlloc, LocalFree, DefDriverProc and
// MessageBox; the native build to calloc, free and stubs.
void* CodecLocalAlloc(std::size_t bytes);  // zero-filled; NULL when out of memory
void CodecLocalFree(void* block);
LRESULT CodecDefDriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM lParam1,
                           LPARAM lParam2);
void CodecShowAboutBox(HWND owner);
