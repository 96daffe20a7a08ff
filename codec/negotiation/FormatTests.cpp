#include "negotiation/FormatTests.h"

namespace {

// The smallest frame each converter can fill: a Bayer frame needs two rows and
// two columns to sample every colour, and edge sensing needs four rows.
struct FrameLimits {
    std::uint32_t minWidth;
    std::uint32_t minHeight;
};

constexpr FrameLimits kFrameLimits[kConverterKindCount] = {
    {0, 0},  // Mono8
    {0, 0},  // Mono16
    {0, 0},  // Yuv444
    {0, 0},  // Yuv411
    {2, 2},  // BayerFast
    {2, 2},  // BayerNearest
    {2, 4},  // BayerEdge
};

}  // namespace

std::uint64_t OutputByteCount(const BITMAPINFOHEADER* in) {
    return std::uint64_t{4} * static_cast<std::uint32_t>(in->biWidth) *
           static_cast<std::uint32_t>(in->biHeight);
}

const FourccFormat* InputTest(const BITMAPINFOHEADER* in) {
    if (!in) return nullptr;
    if (in->biSize < sizeof(BITMAPINFOHEADER) || in->biSize > kLargestBitmapHeaderSize) {
        return nullptr;
    }
    const FourccFormat* format = FindAcceptedFormat(in->biBitCount, in->biCompression);
    if (!format) return nullptr;
    if (in->biWidth < 0 || in->biHeight < 0) return nullptr;
    const std::uint32_t width = static_cast<std::uint32_t>(in->biWidth);
    const std::uint32_t height = static_cast<std::uint32_t>(in->biHeight);
    const FrameLimits& limits = kFrameLimits[static_cast<DWORD>(format->kind)];
    if (width < limits.minWidth || height < limits.minHeight) return nullptr;
    if (OutputByteCount(in) > 0xFFFFFFFFu) return nullptr;
    if (in->biSizeImage != 0 && in->biSizeImage < FrameByteCount(*format, width, height)) {
        return nullptr;
    }
    return format;
}

bool OutputTest(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return out->biCompression == BI_RGB && out->biBitCount == 32 &&
           out->biWidth == in->biWidth && out->biHeight == in->biHeight &&
           (out->biSizeImage == 0 || out->biSizeImage >= OutputByteCount(in));
}

bool DescribesInputFormat(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
    return out->biCompression == in->biCompression && out->biBitCount == in->biBitCount &&
           out->biWidth == in->biWidth && out->biHeight == in->biHeight;
}
