// YUV 4:4:4 and 4:1:1 with SSSE3: one byte shuffle per four pixels gathers
// the (y, c) pairs of the formula.
#include <tmmintrin.h>

#include "convert/simd/Sse2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

// (y, c - 128) lanes from the shuffled bytes (y, 0, c, 0).
ZKV_INLINE_SSSE3 __m128i Pairs(__m128i bytes, __m128i shuffle) {
    return _mm_sub_epi32(_mm_shuffle_epi8(bytes, shuffle), _mm_set1_epi32(kChromaBias));
}

ZKV_TARGET_SSSE3 void Yuv444Row(const std::uint8_t* source, std::uint8_t* out,
                                std::uint32_t width) {
    // Pixel p of four is c0, y, c1 at bytes 3p, 3p + 1, 3p + 2.
    const __m128i yu = _mm_setr_epi8(1, Z, 0, Z, 4, Z, 3, Z, 7, Z, 6, Z, 10, Z, 9, Z);
    const __m128i yv = _mm_setr_epi8(1, Z, 2, Z, 4, Z, 5, Z, 7, Z, 8, Z, 10, Z, 11, Z);
    std::uint32_t x = 0;
    // Each 16-byte load uses 12: a step needs 4 bytes after its 24.
    for (; 3 * x + 28 <= 3 * width; x += 8) {
        const __m128i first = LoadSse2(source + 3 * x);
        const __m128i second = LoadSse2(source + 3 * x + 12);
        YuvToRgb8(Pairs(first, yu), Pairs(first, yv), Pairs(second, yu), Pairs(second, yv),
                  out + 4 * x);
    }
    Yuv444Pixels(source + 3 * x, out + 4 * x, width - x);
}

ZKV_TARGET_SSSE3 void Yuv411Row(const std::uint8_t* source, std::uint8_t* out,
                                std::uint32_t width) {
    // A group is c0, y0, y1, c1, y2, y3; the second group starts at byte 6.
    const __m128i yu0 = _mm_setr_epi8(1, Z, 0, Z, 2, Z, 0, Z, 4, Z, 0, Z, 5, Z, 0, Z);
    const __m128i yv0 = _mm_setr_epi8(1, Z, 3, Z, 2, Z, 3, Z, 4, Z, 3, Z, 5, Z, 3, Z);
    const __m128i yu1 = _mm_setr_epi8(7, Z, 6, Z, 8, Z, 6, Z, 10, Z, 6, Z, 11, Z, 6, Z);
    const __m128i yv1 = _mm_setr_epi8(7, Z, 9, Z, 8, Z, 9, Z, 10, Z, 9, Z, 11, Z, 9, Z);
    const std::uint32_t groups = width / 4;
    std::uint32_t g = 0;
    // Two groups (12 bytes) per step, read as 16.
    for (; 6 * g + 16 <= 6 * groups; g += 2) {
        const __m128i bytes = LoadSse2(source + 6 * g);
        YuvToRgb8(Pairs(bytes, yu0), Pairs(bytes, yv0), Pairs(bytes, yu1), Pairs(bytes, yv1),
                  out + 16 * g);
    }
    Yuv411Groups(source + 6 * g, out + 16 * g, groups - g);
}

}  // namespace

void Yuv444Ssse3(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                 DWORD) {
    ForEachRow(inFormat, in, out, Yuv444RowBytes(inFormat), Yuv444Row);
}

void Yuv411Ssse3(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                 DWORD) {
    ForEachRow(inFormat, in, out, Yuv411RowBytes(inFormat), Yuv411Row);
}
