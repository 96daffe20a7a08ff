// The built Brisal.dll loaded the way the compression manager loads it, and
// buffers whose last byte touches a no-access page.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "driver/CodecPlatform.h"

// A file in the directory of the built deliverables (ZKV_BIN_DIR), or beside
// the test program when that is not set.
inline std::string BinPath(const char* file) {
    if (const char* dir = std::getenv("ZKV_BIN_DIR")) {
        std::string path(dir);
        // ctest passes a Unix path; Wine maps it through the Z: drive.
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        return path + "\\" + file;
    }
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module, length);
    return path.substr(0, path.find_last_of("\\/") + 1) + file;
}

using DriverProcFunction = LRESULT(CALLBACK*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

class CodecDll {
public:
    CodecDll() : module_(LoadLibraryA(BinPath("Brisal.dll").c_str())) {
        if (module_) {
            proc_ = reinterpret_cast<DriverProcFunction>(
                reinterpret_cast<void*>(GetProcAddress(module_, "DriverProc")));
        }
    }
    ~CodecDll() {
        if (module_) FreeLibrary(module_);
    }
    CodecDll(const CodecDll&) = delete;
    CodecDll& operator=(const CodecDll&) = delete;

    HMODULE Module() const { return module_; }
    DriverProcFunction Proc() const { return proc_; }

    LRESULT Send(DWORD_PTR id, UINT message, const void* lParam1, const void* lParam2) const {
        return proc_(id, nullptr, message, reinterpret_cast<LPARAM>(lParam1),
                     reinterpret_cast<LPARAM>(lParam2));
    }
    DWORD_PTR Open() const {
        ICOPEN open{};
        open.dwSize = sizeof open;
        open.fccType = ICTYPE_VIDEO;
        open.fccHandler = mmioFOURCC('Z', 'K', 'V', 'C');
        return static_cast<DWORD_PTR>(Send(0, DRV_OPEN, nullptr, &open));
    }
    LRESULT Decompress(DWORD_PTR id, const BITMAPINFOHEADER* in, const void* inBits,
                       const BITMAPINFOHEADER* out, void* outBits) const {
        ICDECOMPRESS request{};
        request.lpbiInput = const_cast<BITMAPINFOHEADER*>(in);
        request.lpInput = const_cast<void*>(inBits);
        request.lpbiOutput = const_cast<BITMAPINFOHEADER*>(out);
        request.lpOutput = outBits;
        return Send(id, ICM_DECOMPRESS, &request, reinterpret_cast<void*>(sizeof request));
    }

private:
    HMODULE module_;
    DriverProcFunction proc_ = nullptr;
};

// `size` bytes that end exactly where a PAGE_NOACCESS page begins: any access
// past the end faults at once.
class GuardedBuffer {
public:
    explicit GuardedBuffer(std::size_t size) : size_(size) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const std::size_t page = system.dwPageSize;
        const std::size_t dataPages = (size + page - 1) / page;
        total_ = (dataPages + 1) * page;
        base_ = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) return;
        DWORD old = 0;
        VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - size;
    }
    ~GuardedBuffer() {
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    template <typename T>
    T* As() const { return reinterpret_cast<T*>(data_); }

private:
    std::size_t size_;
    std::size_t total_ = 0;
    std::uint8_t* base_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

inline BITMAPINFOHEADER Header(DWORD compression, WORD bitCount, LONG width, LONG height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = compression;
    return header;
}

inline BITMAPINFOHEADER RgbHeader(LONG width, LONG height) {
    BITMAPINFOHEADER header = Header(BI_RGB, 32, width, height);
    header.biSizeImage = static_cast<DWORD>(4 * width * height);
    return header;
}
