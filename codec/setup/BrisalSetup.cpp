// Installs Brisal as a "vidc" driver of this process's architecture, or
// removes it again:
//   BrisalSetup install [path-to-Brisal.dll]   (default: Brisal.dll beside this program)
//   BrisalSetup uninstall
// The DLL goes into this architecture's system folder; the Drivers32 values
// vidc.ZKVC and vidc.<FOURCC> for every accepted FOURCC name it. A 32-bit
// build writes the 32-bit registry view and system folder, a 64-bit build the
// native ones. Both commands may be repeated; uninstall removes only values
// that name Brisal.dll, so another codec registered for a FOURCC is kept.
// Exit status 0 on success; otherwise one line on stderr and status 1 (2 for
// a wrong command line).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "negotiation/FourccTable.h"

namespace {

constexpr wchar_t kDriversKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
constexpr wchar_t kDriverFile[] = L"Brisal.dll";

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    wchar_t code[32];
    std::swprintf(code, 32, L" (error %lu)", static_cast<unsigned long>(error));
    return message + code;
}

int Fail(const std::wstring& what, DWORD error) {
    std::fwprintf(stderr, L"BrisalSetup: %ls: %ls\n", what.c_str(), SystemErrorText(error).c_str());
    return 1;
}

// The value names: vidc.ZKVC first, then one per accepted FOURCC.
std::vector<std::wstring> DriverValueNames() {
    std::vector<std::wstring> names{L"vidc.ZKVC"};
    for (const FourccFormat& format : kAcceptedFormats) {
        std::wstring name = L"vidc.";
        for (int i = 0; i < 4; ++i) name += static_cast<wchar_t>(format.name[i]);
        names.push_back(name);
    }
    return names;
}

std::wstring SystemFolderPath() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(folder) + L"\\" + kDriverFile;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return path;
    return full;
}

std::wstring DefaultSourcePath() {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length < MAX_PATH ? length : 0);
    const std::size_t slash = path.find_last_of(L"\\/");
    path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return path + kDriverFile;
}

int Install(const std::wstring& source) {
    const std::wstring target = SystemFolderPath();
    if (target.empty()) return Fail(L"cannot find the system folder", GetLastError());
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return Fail(L"cannot find " + source, GetLastError());
    }
    if (lstrcmpiW(FullPath(source).c_str(), FullPath(target).c_str()) != 0 &&
        !CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        return Fail(L"cannot copy " + source + L" to " + target, GetLastError());
    }
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDriversKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return Fail(L"cannot open the Drivers32 key", status);
    const DWORD dataBytes = sizeof kDriverFile;
    for (const std::wstring& name : DriverValueNames()) {
        status = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(kDriverFile), dataBytes);
        if (status != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return Fail(L"cannot write the Drivers32 values", status);
    return 0;
}

// Whether a Drivers32 value names this driver (by bare name or by a path).
bool NamesThisDriver(HKEY key, const std::wstring& name) {
    wchar_t data[MAX_PATH + 1] = {};
    DWORD type = 0;
    DWORD bytes = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    const std::wstring value(data);
    const std::size_t slash = value.find_last_of(L"\\/");
    const std::wstring file = slash == std::wstring::npos ? value : value.substr(slash + 1);
    return lstrcmpiW(file.c_str(), kDriverFile) == 0;
}

int Uninstall() {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriversKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                &key);
    if (status == ERROR_SUCCESS) {
        for (const std::wstring& name : DriverValueNames()) {
            if (!NamesThisDriver(key, name)) continue;
            status = RegDeleteValueW(key, name.c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) break;
            status = ERROR_SUCCESS;
        }
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) return Fail(L"cannot remove the Drivers32 values", status);
    } else if (status != ERROR_FILE_NOT_FOUND) {
        return Fail(L"cannot open the Drivers32 key", status);
    }
    const std::wstring target = SystemFolderPath();
    if (target.empty()) return Fail(L"cannot find the system folder", GetLastError());
    if (!DeleteFileW(target.c_str())) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return Fail(L"cannot delete " + target, error);
    }
    return 0;
}

int Usage() {
    std::fwprintf(stderr, L"usage: BrisalSetup install [path-to-Brisal.dll] | BrisalSetup uninstall\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && lstrcmpiW(argv[1], L"install") == 0) return Install(DefaultSourcePath());
    if (argc == 3 && lstrcmpiW(argv[1], L"install") == 0) return Install(argv[2]);
    if (argc == 2 && lstrcmpiW(argv[1], L"uninstall") == 0) return Uninstall();
    return Usage();
}
