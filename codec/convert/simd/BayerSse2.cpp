// The Bayer converters with SSE2: sixteen pixels per step.
#include "convert/simd/BayerRows.h"
#include "convert/simd/Sse2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

using Vec = __m128i;
constexpr std::uint32_t kLanes = 16;
#define ZKV_KERNEL static inline
#define ZKV_STEP ZKV_INLINE_SSE2

ZKV_INLINE_SSE2 Vec Load(const std::uint8_t* p) { return LoadSse2(p); }

// Per 16-bit lane: the low (high) byte in both bytes.
ZKV_INLINE_SSE2 Vec DupLow(Vec v) {
    const Vec low = _mm_and_si128(v, _mm_set1_epi16(0x00FF));
    return _mm_or_si128(low, _mm_slli_epi16(low, 8));
}
ZKV_INLINE_SSE2 Vec DupHigh(Vec v) {
    const Vec high = _mm_srli_epi16(v, 8);
    return _mm_or_si128(high, _mm_slli_epi16(high, 8));
}

// Per 16-bit lane: the low byte of `low` and the high byte of `high`.
ZKV_INLINE_SSE2 Vec LowHigh(Vec low, Vec high) {
    const Vec lowMask = _mm_set1_epi16(0x00FF);
    return _mm_or_si128(_mm_and_si128(low, lowMask), _mm_andnot_si128(lowMask, high));
}

ZKV_INLINE_SSE2 Vec HighToLow(Vec v) { return _mm_srli_epi16(v, 8); }
ZKV_INLINE_SSE2 Vec LowToHigh(Vec v) { return _mm_slli_epi16(v, 8); }

// (a + b) >> 1 per byte: pavgb rounds up, so take off the dropped bit.
ZKV_INLINE_SSE2 Vec Average(Vec a, Vec b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

ZKV_INLINE_SSE2 Vec AbsoluteDifference(Vec a, Vec b) {
    return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
}

// The horizontal average where the horizontal pair differs less, else the
// vertical one.
ZKV_INLINE_SSE2 Vec SensedGreen(Vec left, Vec right, Vec up, Vec down) {
    const Vec horizontal = AbsoluteDifference(left, right);
    const Vec vertical = AbsoluteDifference(up, down);
    const Vec takeVertical = _mm_cmpeq_epi8(_mm_max_epu8(horizontal, vertical), horizontal);
    return _mm_or_si128(_mm_and_si128(takeVertical, Average(up, down)),
                        _mm_andnot_si128(takeVertical, Average(left, right)));
}

ZKV_INLINE_SSE2 void StoreWithZero(std::uint8_t* out, Vec b, Vec g, Vec r) {
    StorePixels16(out, b, g, r, _mm_setzero_si128());
}

ZKV_INLINE_SSE2 void StoreKeeping(std::uint8_t* out, std::ptrdiff_t nextRow, Vec b, Vec g, Vec r) {
    StoreColours16(out, nextRow, b, g, r);
}

#include "convert/simd/BayerKernels.inc"

#undef ZKV_KERNEL
#undef ZKV_STEP

}  // namespace

void BayerFastSse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                   DWORD tile) {
    BayerFastRows(kRowKernels, inFormat, in, out, tile);
}

void BayerNearestSse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                      DWORD tile) {
    BayerNearestRows(kRowKernels, inFormat, in, out, tile);
}

void BayerEdgeSse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                   DWORD tile) {
    BayerEdgeRows(kRowKernels, inFormat, in, out, tile);
}
