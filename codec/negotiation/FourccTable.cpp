#include "negotiation/FourccTable.h"

const FourccFormat* FindAcceptedFormat(WORD bitCount, DWORD compression) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.bitCount == bitCount && format.fourcc == compression) return &format;
    }
    return nullptr;
}
