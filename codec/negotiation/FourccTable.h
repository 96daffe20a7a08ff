// The camera frame FOURCCs that the codec decodes, with their bit counts,
// byte layouts and the converter and tile each one selects.
#pragma once

#include "convert/FrameConverter.h"

// The four characters, lowest byte first.
constexpr DWORD MakeFourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<std::uint8_t>(a)) |
           static_cast<DWORD>(static_cast<std::uint8_t>(b)) << 8 |
           static_cast<DWORD>(static_cast<std::uint8_t>(c)) << 16 |
           static_cast<DWORD>(static_cast<std::uint8_t>(d)) << 24;
}

constexpr DWORD kFourccVideoCompressor = MakeFourcc('v', 'i', 'd', 'c');
constexpr DWORD kFourccCodecHandler = MakeFourcc('Z', 'K', 'V', 'C');

struct FourccFormat {
    char name[5];        // the FOURCC as text
    DWORD fourcc;
    WORD bitCount;       // the input's biBitCount
    ConverterKind kind;
    BayerTile tile;
    // A packed row is bytesPerGroup x (W / pixelsPerGroup) bytes.
    DWORD bytesPerGroup;
    DWORD pixelsPerGroup;
};

constexpr std::size_t kAcceptedFormatCount = 17;
extern const FourccFormat kAcceptedFormats[kAcceptedFormatCount];

// The table row with this bit count and compression, or NULL.
const FourccFormat* FindAcceptedFormat(WORD bitCount, DWORD compression);

// Bytes of one packed W x H frame of the format.
std::uint64_t FrameByteCount(const FourccFormat& format, std::uint32_t width, std::uint32_t height);
