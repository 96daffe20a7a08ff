// The Bayer converters with AVX2: thirty-two pixels per step. The kernels
// only use operations within 16-bit lanes, so they are those of SSE2 on
// wider registers.
#include "convert/simd/Avx2Pixels.h"
#include "convert/simd/BayerRows.h"
#include "convert/simd/SimdKernels.h"

namespace {

using Vec = __m256i;
constexpr std::uint32_t kLanes = 32;
#define ZKV_KERNEL static inline ZKV_TARGET_AVX2
#define ZKV_STEP ZKV_INLINE_AVX2

ZKV_INLINE_AVX2 Vec Load(const std::uint8_t* p) { return LoadAvx2(p); }

// One shuffle each: the index vector comes from memory, which costs no
// register (32-bit code has eight).
ZKV_INLINE_AVX2 Vec DupLow(Vec v) {
    return _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14,
                                                   0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14));
}
ZKV_INLINE_AVX2 Vec DupHigh(Vec v) {
    return _mm256_shuffle_epi8(v, _mm256_setr_epi8(1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15,
                                                   1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15));
}

ZKV_INLINE_AVX2 Vec LowHigh(Vec low, Vec high) {
    return _mm256_blendv_epi8(high, low, _mm256_set1_epi16(0x00FF));
}

ZKV_INLINE_AVX2 Vec HighToLow(Vec v) { return _mm256_srli_epi16(v, 8); }
ZKV_INLINE_AVX2 Vec LowToHigh(Vec v) { return _mm256_slli_epi16(v, 8); }

ZKV_INLINE_AVX2 Vec Average(Vec a, Vec b) {
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b),
                           _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

ZKV_INLINE_AVX2 Vec AbsoluteDifference(Vec a, Vec b) {
    return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a));
}

// The pair is chosen before it is averaged: one average instead of two, and
// fewer values live at once (32-bit code has eight vector registers).
ZKV_INLINE_AVX2 Vec SensedGreen(Vec left, Vec right, Vec up, Vec down) {
    const Vec horizontal = AbsoluteDifference(left, right);
    const Vec vertical = AbsoluteDifference(up, down);
    const Vec takeVertical = _mm256_cmpeq_epi8(_mm256_max_epu8(horizontal, vertical), horizontal);
    return Average(_mm256_blendv_epi8(left, up, takeVertical), _mm256_blendv_epi8(right, down, takeVertical));
}

ZKV_INLINE_AVX2 void StoreWithZero(std::uint8_t* out, Vec b, Vec g, Vec r) {
    StorePixels32(out, b, g, r, _mm256_setzero_si256());
}

ZKV_INLINE_AVX2 void StoreKeeping(std::uint8_t* out, std::ptrdiff_t nextRow, Vec b, Vec g, Vec r) {
    StoreColours32(out, nextRow, b, g, r);
}

#include "convert/simd/BayerKernels.inc"

#undef ZKV_KERNEL
#undef ZKV_STEP

}  // namespace

void BayerFastAvx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                   DWORD tile) {
    BayerFastRows(kRowKernels, inFormat, in, out, tile);
}

void BayerNearestAvx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                      DWORD tile) {
    BayerNearestRows(kRowKernels, inFormat, in, out, tile);
}

void BayerEdgeAvx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                   DWORD tile) {
    BayerEdgeRows(kRowKernels, inFormat, in, out, tile);
}
