// AVX2 building blocks of the fast converters. AVX2 byte operations work
// within each 128-bit half, so the helpers take their inputs in the order the
// halves produce and put the pixels in order when storing.
#pragma once

#include <immintrin.h>

#include <cstddef>
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

// Pixels of `pixels` over the fourth bytes the output buffer holds.
ZKV_INLINE_AVX2 __m256i KeepFourth(const std::uint8_t* out, __m256i pixels) {
    return _mm256_blendv_epi8(LoadAvx2(out), pixels, _mm256_set1_epi32(0x00FFFFFF));
}

// The pixel registers of 32 pixels from their blue, green, red and fourth
// bytes: pixels (0-3 | 16-19), (4-7 | 20-23), (8-11 | 24-27) and (12-15 | 28-31).
struct Pixels32 {
    __m256i p0, p1, p2, p3;
};

ZKV_INLINE_AVX2 Pixels32 InterleavePixels32(__m256i b, __m256i g, __m256i r, __m256i a) {
    const __m256i bgLow = _mm256_unpacklo_epi8(b, g);
    const __m256i bgHigh = _mm256_unpackhi_epi8(b, g);
    const __m256i raLow = _mm256_unpacklo_epi8(r, a);
    const __m256i raHigh = _mm256_unpackhi_epi8(r, a);
    return {_mm256_unpacklo_epi16(bgLow, raLow), _mm256_unpackhi_epi16(bgLow, raLow),
            _mm256_unpacklo_epi16(bgHigh, raHigh), _mm256_unpackhi_epi16(bgHigh, raHigh)};
}

// Eight pixels at `out`, over its fourth bytes when kKeepFourth.
template <bool kKeepFourth>
ZKV_INLINE_AVX2 void StorePixels8(std::uint8_t* out, __m256i pixels) {
    if constexpr (kKeepFourth) pixels = KeepFourth(out, pixels);
    StoreAvx2(out, pixels);
}

// The pixel registers stored as 32 pixels in order.
template <bool kKeepFourth>
ZKV_INLINE_AVX2 void StoreInterleaved32(std::uint8_t* out, const Pixels32& p) {
    StorePixels8<kKeepFourth>(out, _mm256_permute2x128_si256(p.p0, p.p1, 0x20));
    StorePixels8<kKeepFourth>(out + 32, _mm256_permute2x128_si256(p.p2, p.p3, 0x20));
    StorePixels8<kKeepFourth>(out + 64, _mm256_permute2x128_si256(p.p0, p.p1, 0x31));
    StorePixels8<kKeepFourth>(out + 96, _mm256_permute2x128_si256(p.p2, p.p3, 0x31));
}

// 32 pixels from the blue, green, red and fourth bytes of each.
ZKV_INLINE_AVX2 void StorePixels32(std::uint8_t* out, __m256i b, __m256i g, __m256i r, __m256i a) {
    StoreInterleaved32<false>(out, InterleavePixels32(b, g, r, a));
}

// 32 pixels of blue, green and red; the fourth bytes stay as they were. Red
// is paired with itself: whatever lands in the fourth byte is not stored.
ZKV_INLINE_AVX2 void StoreColours32(std::uint8_t* out, std::ptrdiff_t nextRow, __m256i b, __m256i g,
                                    __m256i r) {
    PrefetchKeptOutput(out, nextRow);
    PrefetchKeptOutput(out + 64, nextRow);
    StoreInterleaved32<true>(out, InterleavePixels32(b, g, r, r));
}

// Eight pixels of the YUV formula from eight times the exact 32-bit sums of
// each colour, pixel p in 32-bit lane p, stored over `out` with the fourth
// bytes kept. The high word of eight times a sum is the floor of the sum over
// 8192, the formula's value (it differs from the division toward zero only
// below 0, where both clamp to 0). Blue's moves to the low word and green's
// stays in the high one, so one blend pairs them; red's is read from its high
// word; the unsigned pack clamps all three to 0..255.
ZKV_INLINE_AVX2 void StoreYuvPixels8(std::uint8_t* out, std::ptrdiff_t nextRow, __m256i blue8, __m256i green8,
                                     __m256i red8) {
    constexpr char Z = -128;
    const __m256i blueGreen = _mm256_blend_epi16(_mm256_srli_epi32(blue8, 16), green8, 0xAA);
    // Per half: b0 g0 b1 g1 b2 g2 b3 g3, then x r0 x r1 ... with x the clamp
    // of red's low word, not used.
    const __m256i bytes = _mm256_packus_epi16(blueGreen, red8);
    const __m256i order = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(0, 1, 9, Z, 2, 3, 11, Z, 4, 5, 13, Z, 6, 7, 15, Z));
    PrefetchKeptOutput(out, nextRow);
    StorePixels8<true>(out, _mm256_shuffle_epi8(bytes, order));
}

// Eight pixels from their (8 y, 8 u) and (8 y, 8 v) lanes, u and v centred.
ZKV_INLINE_AVX2 void YuvToRgb8Avx2(__m256i yu8, __m256i yv8, std::uint8_t* out, std::ptrdiff_t nextRow) {
    const __m256i blue8 = _mm256_madd_epi16(yu8, _mm256_set1_epi32(kBlueFactors));
    const __m256i green8 = _mm256_add_epi32(_mm256_madd_epi16(yu8, _mm256_set1_epi32(kGreenUFactors)),
                                            _mm256_madd_epi16(yv8, _mm256_set1_epi32(kGreenVFactors)));
    const __m256i red8 = _mm256_madd_epi16(yv8, _mm256_set1_epi32(kRedFactors));
    StoreYuvPixels8(out, nextRow, blue8, green8, red8);
}
