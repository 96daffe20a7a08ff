// The platform services on Windows: the local heap, winmm's default driver
// procedure and the About box.
#include "CodecPlatform.h"

void* CodecLocalAlloc(std::size_t bytes) {
    return LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes);
}

void CodecLocalFree(void* block) {
    if (block) LocalFree(block);
}

LRESULT CodecDefDriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM lParam1,
                           LPARAM lParam2) {
    return DefDriverProc(driverId, driver, message, lParam1, lParam2);
}

void CodecShowAboutBox(HWND owner) {
    MessageBoxW(owner, L"ZKV Codec", L"About", MB_OK | MB_ICONINFORMATION);
}
