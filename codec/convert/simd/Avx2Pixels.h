// AVX2 building blocks of the fast converters. AVX2 byte operations work
// within each 128-bit half, so the helpers take their inputs in the order the
// halves produce and put the pixels in order when storing.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "convert/simd/VectorRows.h"
#include "convert/simd/SimdTarget.h"

ZKV_INLINE_AVX2 __m256i LoadAvx2(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

ZKV_INLINE_AVX2 void StoreAvx2(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// 16 bytes from `low` in the low half and 16 from `high` in the high half.
ZKV_INLINE_AVX2 __m256i LoadHalves(const std::uint8_t* low, const std::uint8_t* high) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// Stores pixel registers holding pixels (0-3 | 16-19), (4-7 | 20-23),
// (8-11 | 24-27) and (12-15 | 28-31) as 32 pixels in order.
ZKV_INLINE_AVX2 void StoreInterleaved32(std::uint8_t* out, __m256i p0, __m256i p1, __m256i p2,
                                        __m256i p3) {
    StoreAvx2(out, _mm256_permute2x128_si256(p0, p1, 0x20));
    StoreAvx2(out + 32, _mm256_permute2x128_si256(p2, p3, 0x20));
    StoreAvx2(out + 64, _mm256_permute2x128_si256(p0, p1, 0x31));
    StoreAvx2(out + 96, _mm256_permute2x128_si256(p2, p3, 0x31));
}

// 32 pixels from the blue, green, red and fourth bytes of each.
ZKV_INLINE_AVX2 void StorePixels32(std::uint8_t* out, __m256i b, __m256i g, __m256i r, __m256i a) {
    const __m256i bgLow = _mm256_unpacklo_epi8(b, g);
    const __m256i bgHigh = _mm256_unpackhi_epi8(b, g);
    const __m256i raLow = _mm256_unpacklo_epi8(r, a);
    const __m256i raHigh = _mm256_unpackhi_epi8(r, a);
    StoreInterleaved32(out, _mm256_unpacklo_epi16(bgLow, raLow), _mm256_unpackhi_epi16(bgLow, raLow),
                       _mm256_unpacklo_epi16(bgHigh, raHigh), _mm256_unpackhi_epi16(bgHigh, raHigh));
}

// Pixels whose fourth byte is 0 in `pixels`, over the fourth bytes the output
// buffer holds.
ZKV_INLINE_AVX2 __m256i KeepFourth(const std::uint8_t* out, __m256i pixels) {
    const __m256i fourth = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    return _mm256_or_si256(_mm256_and_si256(LoadAvx2(out), fourth), pixels);
}

// 32 pixels of blue, green and red; the fourth bytes stay as they were.
ZKV_INLINE_AVX2 void StoreColours32(std::uint8_t* out, __m256i b, __m256i g, __m256i r) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgLow = _mm256_unpacklo_epi8(b, g);
    const __m256i bgHigh = _mm256_unpackhi_epi8(b, g);
    const __m256i rLow = _mm256_unpacklo_epi8(r, zero);
    const __m256i rHigh = _mm256_unpackhi_epi8(r, zero);
    const __m256i p0 = _mm256_unpacklo_epi16(bgLow, rLow);
    const __m256i p1 = _mm256_unpackhi_epi16(bgLow, rLow);
    const __m256i p2 = _mm256_unpacklo_epi16(bgHigh, rHigh);
    const __m256i p3 = _mm256_unpackhi_epi16(bgHigh, rHigh);
    StoreAvx2(out, KeepFourth(out, _mm256_permute2x128_si256(p0, p1, 0x20)));
    StoreAvx2(out + 32, KeepFourth(out + 32, _mm256_permute2x128_si256(p2, p3, 0x20)));
    StoreAvx2(out + 64, KeepFourth(out + 64, _mm256_permute2x128_si256(p0, p1, 0x31)));
    StoreAvx2(out + 96, KeepFourth(out + 96, _mm256_permute2x128_si256(p2, p3, 0x31)));
}

ZKV_INLINE_AVX2 __m256i YuvSum8(__m256i pairs, std::int32_t factors) {
    return _mm256_srai_epi32(_mm256_madd_epi16(pairs, _mm256_set1_epi32(factors)), kYuvShift);
}

// Sixteen pixels of the YUV formula from (y, u) and (y, v) lanes with u and v
// centred: yu0/yv0 hold pixels 0-3 and 8-11, yu1/yv1 pixels 4-7 and 12-15.
// The fourth bytes of the output stay as they were.
ZKV_INLINE_AVX2 void YuvToRgb16(__m256i yu0, __m256i yv0, __m256i yu1, __m256i yv1,
                                std::uint8_t* out) {
    const __m256i blue = _mm256_packs_epi32(YuvSum8(yu0, kBlueFactors), YuvSum8(yu1, kBlueFactors));
    const __m256i greenU = _mm256_set1_epi32(kGreenUFactors);
    const __m256i greenV = _mm256_set1_epi32(kGreenVFactors);
    const __m256i green0 = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_madd_epi16(yu0, greenU), _mm256_madd_epi16(yv0, greenV)), kYuvShift);
    const __m256i green1 = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_madd_epi16(yu1, greenU), _mm256_madd_epi16(yv1, greenV)), kYuvShift);
    const __m256i green = _mm256_packs_epi32(green0, green1);
    const __m256i red = _mm256_packs_epi32(YuvSum8(yv0, kRedFactors), YuvSum8(yv1, kRedFactors));
    // Each half now holds eight pixels in order: 0-7 and 8-15.
    const __m256i blueGreen = _mm256_packus_epi16(blue, green);
    const __m256i redRed = _mm256_packus_epi16(red, red);
    const __m256i bg = _mm256_unpacklo_epi8(blueGreen, _mm256_srli_si256(blueGreen, 8));
    const __m256i r0 = _mm256_unpacklo_epi8(redRed, _mm256_setzero_si256());
    const __m256i low = _mm256_unpacklo_epi16(bg, r0);   // pixels 0-3 | 8-11
    const __m256i high = _mm256_unpackhi_epi16(bg, r0);  // pixels 4-7 | 12-15
    StoreAvx2(out, KeepFourth(out, _mm256_permute2x128_si256(low, high, 0x20)));
    StoreAvx2(out + 32, KeepFourth(out + 32, _mm256_permute2x128_si256(low, high, 0x31)));
}
