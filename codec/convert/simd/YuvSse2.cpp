// YUV 4:4:4 and 4:1:1 with SSE2. Without a byte shuffle the (y, c) pairs are
// gathered with 32-bit loads and 16-bit word shuffles.
#include "convert/simd/Sse2Pixels.h"
#include "convert/simd/SimdKernels.h"

#include <cstring>

namespace {

ZKV_INLINE_SSE2 __m128i Load32(const std::uint8_t* p) {
    std::int32_t value;
    std::memcpy(&value, p, sizeof value);
    return _mm_cvtsi32_si128(value);
}

// Four 4:4:4 pixels c0, y, c1 as the lanes (y, c0 - 128) and (y, c1 - 128).
// Each 32-bit load reads one byte beyond its pixel.
ZKV_INLINE_SSE2 void Gather444(const std::uint8_t* source, __m128i* yu, __m128i* yv) {
    const __m128i pixels = _mm_unpacklo_epi64(
        _mm_unpacklo_epi32(Load32(source), Load32(source + 3)),
        _mm_unpacklo_epi32(Load32(source + 6), Load32(source + 9)));
    const __m128i luma = _mm_srli_epi32(_mm_and_si128(pixels, _mm_set1_epi32(0xFF00)), 8);
    const __m128i c0 = _mm_slli_epi32(_mm_and_si128(pixels, _mm_set1_epi32(0xFF)), 16);
    const __m128i c1 = _mm_and_si128(pixels, _mm_set1_epi32(0xFF0000));
    const __m128i bias = _mm_set1_epi32(kChromaBias);
    *yu = _mm_sub_epi32(_mm_or_si128(luma, c0), bias);
    *yv = _mm_sub_epi32(_mm_or_si128(luma, c1), bias);
}

void Yuv444Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    std::uint32_t x = 0;
    // The last load of a step reads the byte after the step's 24 bytes.
    for (; x + 9 <= width; x += 8) {
        __m128i yu0, yv0, yu1, yv1;
        Gather444(source + 3 * x, &yu0, &yv0);
        Gather444(source + 3 * x + 12, &yu1, &yv1);
        YuvToRgb8(yu0, yv0, yu1, yv1, out + 4 * x);
    }
    Yuv444Pixels(source + 3 * x, out + 4 * x, width - x);
}

// One 4:1:1 group c0, y0, y1, c1, y2, y3 (16-bit words 0-5 of `group`) as
// the lanes (y, c0 - 128) and (y, c1 - 128) of its four pixels.
ZKV_INLINE_SSE2 void Gather411(__m128i group, __m128i* yu, __m128i* yv) {
    // y0 y1 y2 y3 to words 0-3.
    const __m128i lumaLow = _mm_shufflelo_epi16(group, _MM_SHUFFLE(3, 3, 2, 1));
    const __m128i lumaHigh = _mm_shufflehi_epi16(lumaLow, _MM_SHUFFLE(3, 3, 1, 0));
    const __m128i luma = _mm_shuffle_epi32(lumaHigh, _MM_SHUFFLE(3, 3, 2, 0));
    const __m128i c0 = _mm_shufflelo_epi16(group, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128i c1 = _mm_shufflelo_epi16(group, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i bias = _mm_set1_epi32(kChromaBias);
    *yu = _mm_sub_epi32(_mm_unpacklo_epi16(luma, c0), bias);
    *yv = _mm_sub_epi32(_mm_unpacklo_epi16(luma, c1), bias);
}

void Yuv411Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    const std::uint32_t groups = width / 4;
    const __m128i zero = _mm_setzero_si128();
    std::uint32_t g = 0;
    // Two groups (12 bytes) per step, read as 16: the step needs a third group
    // after it in the row.
    for (; g + 3 <= groups; g += 2) {
        const __m128i bytes = LoadSse2(source + 6 * g);
        const __m128i wordsLow = _mm_unpacklo_epi8(bytes, zero);
        const __m128i wordsHigh = _mm_unpackhi_epi8(bytes, zero);
        __m128i yu0, yv0, yu1, yv1;
        Gather411(wordsLow, &yu0, &yv0);
        // Group 1 starts at byte 6: words 6 and 7 of the low half, 0-3 of the high.
        const __m128i second = _mm_or_si128(_mm_srli_si128(wordsLow, 12), _mm_slli_si128(wordsHigh, 4));
        Gather411(second, &yu1, &yv1);
        YuvToRgb8(yu0, yv0, yu1, yv1, out + 16 * g);
    }
    Yuv411Groups(source + 6 * g, out + 16 * g, groups - g);
}

}  // namespace

void Yuv444Sse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv444RowBytes(inFormat), Yuv444Row);
}

void Yuv411Sse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv411RowBytes(inFormat), Yuv411Row);
}
