#include "negotiation/FourccTable.h"

namespace {

constexpr FourccFormat Row(const char (&name)[5], WORD bitCount, ConverterKind kind, BayerTile tile,
                           DWORD bytesPerGroup, DWORD pixelsPerGroup) {
    return FourccFormat{{name[0], name[1], name[2], name[3], 0},
                        MakeFourcc(name[0], name[1], name[2], name[3]),
                        bitCount,
                        kind,
                        tile,
                        bytesPerGroup,
                        pixelsPerGroup};
}

using K = ConverterKind;
using T = BayerTile;

}  // namespace

const FourccFormat kAcceptedFormats[kAcceptedFormatCount] = {
    Row("ZY41", 12, K::Yuv411, T::None, 6, 4),
    Row("ZY16", 16, K::Mono16, T::None, 2, 1),
    Row("ZY44", 24, K::Yuv444, T::None, 3, 1),
    Row("ZKVY", 8, K::Mono8, T::None, 1, 1),
    Row("Y800", 8, K::Mono8, T::None, 1, 1),
    Row("RGB1", 8, K::BayerFast, T::RGGB, 1, 1),
    Row("RGB2", 8, K::BayerNearest, T::RGGB, 1, 1),
    Row("RGB3", 8, K::BayerEdge, T::RGGB, 1, 1),
    Row("BGR1", 8, K::BayerFast, T::BGGR, 1, 1),
    Row("BGR2", 8, K::BayerNearest, T::BGGR, 1, 1),
    Row("BGR3", 8, K::BayerEdge, T::BGGR, 1, 1),
    Row("GRB1", 8, K::BayerFast, T::GRBG, 1, 1),
    Row("GRB2", 8, K::BayerNearest, T::GRBG, 1, 1),
    Row("GRB3", 8, K::BayerEdge, T::GRBG, 1, 1),
    Row("GBR1", 8, K::BayerFast, T::GBRG, 1, 1),
    Row("GBR2", 8, K::BayerNearest, T::GBRG, 1, 1),
    Row("GBR3", 8, K::BayerEdge, T::GBRG, 1, 1),
};

const FourccFormat* FindAcceptedFormat(WORD bitCount, DWORD compression) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.bitCount == bitCount && format.fourcc == compression) return &format;
    }
    return nullptr;
}

std::uint64_t FrameByteCount(const FourccFormat& format, std::uint32_t width, std::uint32_t height) {
    return static_cast<std::uint64_t>(format.bytesPerGroup) * (width / format.pixelsPerGroup) *
           height;
}
