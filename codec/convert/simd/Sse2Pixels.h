// SSE2 building blocks of the fast converters: assembling 32-bit output
// pixels from planes of blue, green and red bytes, and the YUV formula on
// four pixels per register.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "convert/simd/VectorRows.h"
#include "convert/simd/SimdTarget.h"

ZKV_INLINE_SSE2 __m128i LoadSse2(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

ZKV_INLINE_SSE2 void StoreSse2(std::uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Sixteen pixels from the blue, green, red and fourth bytes of each.
ZKV_INLINE_SSE2 void StorePixels16(std::uint8_t* out, __m128i b, __m128i g, __m128i r, __m128i a) {
    const __m128i bgLow = _mm_unpacklo_epi8(b, g);
    const __m128i bgHigh = _mm_unpackhi_epi8(b, g);
    const __m128i raLow = _mm_unpacklo_epi8(r, a);
    const __m128i raHigh = _mm_unpackhi_epi8(r, a);
    StoreSse2(out, _mm_unpacklo_epi16(bgLow, raLow));
    StoreSse2(out + 16, _mm_unpackhi_epi16(bgLow, raLow));
    StoreSse2(out + 32, _mm_unpacklo_epi16(bgHigh, raHigh));
    StoreSse2(out + 48, _mm_unpackhi_epi16(bgHigh, raHigh));
}

// Writes blue, green and red of pixels whose fourth byte is 0 in `pixels`,
// keeping the fourth byte the output buffer holds.
ZKV_INLINE_SSE2 void StoreKeepingFourth(std::uint8_t* out, __m128i pixels) {
    const __m128i fourth = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    StoreSse2(out, _mm_or_si128(_mm_and_si128(LoadSse2(out), fourth), pixels));
}

// Sixteen pixels of blue, green and red; the fourth bytes stay as they were.
ZKV_INLINE_SSE2 void StoreColours16(std::uint8_t* out, std::ptrdiff_t nextRow, __m128i b, __m128i g,
                                    __m128i r) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLow = _mm_unpacklo_epi8(b, g);
    const __m128i bgHigh = _mm_unpackhi_epi8(b, g);
    const __m128i rLow = _mm_unpacklo_epi8(r, zero);
    const __m128i rHigh = _mm_unpackhi_epi8(r, zero);
    PrefetchKeptOutput(out, nextRow);
    StoreKeepingFourth(out, _mm_unpacklo_epi16(bgLow, rLow));
    StoreKeepingFourth(out + 16, _mm_unpackhi_epi16(bgLow, rLow));
    StoreKeepingFourth(out + 32, _mm_unpacklo_epi16(bgHigh, rHigh));
    StoreKeepingFourth(out + 48, _mm_unpackhi_epi16(bgHigh, rHigh));
}

// One colour of four pixels: pairs times factors, summed in 32 bits, >> 13.
ZKV_INLINE_SSE2 __m128i YuvSum4(__m128i pairs, std::int32_t factors) {
    return _mm_srai_epi32(_mm_madd_epi16(pairs, _mm_set1_epi32(factors)), kYuvShift);
}

// Eight pixels of the YUV formula. yu0/yv0 hold pixels 0-3 as 32-bit lanes
// (y, u) and (y, v) with u and v already centred; yu1/yv1 pixels 4-7. The
// fourth bytes of the output stay as they were.
ZKV_INLINE_SSE2 void YuvToRgb8(__m128i yu0, __m128i yv0, __m128i yu1, __m128i yv1,
                               std::uint8_t* out) {
    const __m128i blue = _mm_packs_epi32(YuvSum4(yu0, kBlueFactors), YuvSum4(yu1, kBlueFactors));
    const __m128i green0 = _mm_srai_epi32(
        _mm_add_epi32(_mm_madd_epi16(yu0, _mm_set1_epi32(kGreenUFactors)),
                      _mm_madd_epi16(yv0, _mm_set1_epi32(kGreenVFactors))),
        kYuvShift);
    const __m128i green1 = _mm_srai_epi32(
        _mm_add_epi32(_mm_madd_epi16(yu1, _mm_set1_epi32(kGreenUFactors)),
                      _mm_madd_epi16(yv1, _mm_set1_epi32(kGreenVFactors))),
        kYuvShift);
    const __m128i green = _mm_packs_epi32(green0, green1);
    const __m128i red = _mm_packs_epi32(YuvSum4(yv0, kRedFactors), YuvSum4(yv1, kRedFactors));
    // packus clamps to 0..255: the formula's limit().
    const __m128i blueGreen = _mm_packus_epi16(blue, green);
    const __m128i redRed = _mm_packus_epi16(red, red);
    const __m128i bg = _mm_unpacklo_epi8(blueGreen, _mm_srli_si128(blueGreen, 8));
    const __m128i r0 = _mm_unpacklo_epi8(redRed, _mm_setzero_si128());
    StoreKeepingFourth(out, _mm_unpacklo_epi16(bg, r0));
    StoreKeepingFourth(out + 16, _mm_unpackhi_epi16(bg, r0));
}
