#include "CodecInfo.h"

#include "CodecTrace.h"
#include "negotiation/FourccTable.h"

namespace {

constexpr LPARAM kInfoSize = sizeof(ICINFO);
constexpr LPARAM kQueryOnly = -1;  // lParam1 of ICM_ABOUT and ICM_CONFIGURE that only asks
constexpr DWORD kDefaultQuality = 7500;

// Writes an ASCII text as a zero-terminated UTF-16 string.
template <std::size_t N>
void CopyWide(WCHAR (&field)[N], const char* text) {
    std::size_t i = 0;
    for (; text[i] && i + 1 < N; ++i) field[i] = static_cast<WCHAR>(text[i]);
    field[i] = 0;
}

}  // namespace

// A buffer smaller than ICINFO (or a negative size) is left untouched.
LRESULT GetCodecInfo(CodecInstance* instance, ICINFO* info, LPARAM size) {
    CodecTrace("Enter: ICM_GETINFO, pinst 0x%x, icinfo = 0x%x, dwSize %d\n", instance, info, size);
    if (!info) return kInfoSize;
    if (size < kInfoSize) return 0;
    info->dwSize = sizeof(ICINFO);
    info->fccType = kFourccVideoCompressor;
    info->fccHandler = kFourccCodecHandler;
    info->dwFlags = 0;
    info->dwVersion = 0x00010000;
    info->dwVersionICM = ICVERSION;
    CopyWide(info->szName, "ZKV-RGB");
    CopyWide(info->szDescription, "ZKV Codec");
    CodecTrace("Exit: ICM_GETINFO\n");
    return kInfoSize;
}

// There is no configuration dialog: the question is answered no, and a request
// to show it shows nothing.
LRESULT ConfigureCodec(LPARAM owner) {
    return owner == kQueryOnly ? ICERR_UNSUPPORTED : 1;
}

LRESULT AboutCodec(LPARAM owner) {
    if (owner != kQueryOnly) CodecShowAboutBox(reinterpret_cast<HWND>(owner));
    return ICERR_OK;
}

LRESULT GetDefaultQuality(DWORD* quality) {
    if (!quality) return ICERR_UNSUPPORTED;
    *quality = kDefaultQuality;
    return ICERR_OK;
}
