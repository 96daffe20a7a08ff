// YUV 4:4:4 and 4:1:1 with AVX2: sixteen pixels per step; each half of a
// register gathers four pixels with one shuffle, and the halves are the two
// halves of eight output pixels, so nothing crosses them.
#include "convert/simd/Avx2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

ZKV_INLINE_AVX2 __m256i Pairs(__m256i bytes, __m256i shuffle) {
    return _mm256_sub_epi32(_mm256_shuffle_epi8(bytes, shuffle), _mm256_set1_epi32(kChromaBias));
}

// The same shuffle in both halves.
ZKV_INLINE_AVX2 __m256i BothHalves(__m128i shuffle) {
    return _mm256_broadcastsi128_si256(shuffle);
}

// `low` in the low half, `high` in the high half.
ZKV_INLINE_AVX2 __m256i Halves(__m128i low, __m128i high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The shuffles of one step: (y, u) and (y, v) lanes of both registers. A
// step that must not read past its input loads its last part `shift` bytes
// early, and the high half of the second register's shuffles looks that
// much further in.
struct PairShuffles {
    __m256i yu, yv, lastYu, lastYv;
};

ZKV_INLINE_AVX2 PairShuffles MakePairShuffles(__m128i yu, __m128i yv, char shift) {
    // The samples' indices are the even bytes, the odd ones yield the zero
    // high bytes: the shift goes to the low byte of each 16-bit lane only.
    const __m128i by = _mm_set1_epi16(shift);
    return {BothHalves(yu), BothHalves(yv), Halves(yu, _mm_add_epi8(yu, by)), Halves(yv, _mm_add_epi8(yv, by))};
}

// Sixteen pixels from two registers of eight pixels' samples each.
ZKV_INLINE_AVX2 void YuvToRgb16Avx2(__m256i first, __m256i second, const PairShuffles& s, bool last,
                                    std::uint8_t* out) {
    YuvToRgb8Avx2(Pairs(first, s.yu), Pairs(first, s.yv), out);
    YuvToRgb8Avx2(Pairs(second, last ? s.lastYu : s.yu), Pairs(second, last ? s.lastYv : s.yv), out + 32);
}

// Steps of sixteen pixels over a row of at least sixteen: one at the start
// when the output is not aligned there, aligned ones in the middle, and one
// ending at the row's last pixel. Overlapping steps write the same bytes
// again: each output byte depends on the input alone or is kept. `Step`
// (first pixel, whether it may read no byte past its own) converts one step;
// steps start at multiples of `unit` pixels, and one that may read past its
// own bytes ends at least `overread` pixels before the row's end.
template <typename Step>
ZKV_INLINE_AVX2 void CoverRow(std::uint8_t* out, std::uint32_t pixels, std::uint32_t unit,
                              std::uint32_t overread, const Step& step) {
    std::uint32_t x = PixelsToAlignment(out, 32, 16) / unit * unit;
    if (x > 0) step(0u, true);
    for (; x + overread <= pixels; x += 16) step(x, false);
    for (; x + 16 < pixels; x += 16) step(x, true);
    if (x < pixels) step(pixels - 16, true);
}

// Sixteen pixels of a 4:4:4 row from pixel x. Pixels 0-3 | 4-7 in one
// register, 8-11 | 12-15 in the other, so that each gives eight pixels in
// order; the last 16-byte load starts at 36, so a step reads 4 bytes after
// its 48 (within 18 pixels of row), unless it loads from 32.
struct Yuv444Step {
    const std::uint8_t* source;
    std::uint8_t* out;
    PairShuffles shuffles;
    ZKV_MEMBER_AVX2 void operator()(std::uint32_t x, bool last) const {
        const std::uint8_t* step = source + 3 * x;
        YuvToRgb16Avx2(LoadHalves(step, step + 12), LoadHalves(step + 24, step + (last ? 32 : 36)), shuffles,
                       last, out + 4 * x);
    }
};

ZKV_TARGET_AVX2 void Yuv444Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    if (width < 16) return Yuv444Pixels(source, out, width);
    const Yuv444Step step{source, out,
                          MakePairShuffles(_mm_setr_epi8(1, Z, 0, Z, 4, Z, 3, Z, 7, Z, 6, Z, 10, Z, 9, Z),
                                           _mm_setr_epi8(1, Z, 2, Z, 4, Z, 5, Z, 7, Z, 8, Z, 10, Z, 11, Z), 4)};
    CoverRow(out, width, 1, 18, step);
}

// 8 bytes from `low` in the low half and 8 from `high` in the high half.
ZKV_INLINE_AVX2 __m256i LoadGroupPair(const std::uint8_t* low, const std::uint8_t* high) {
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// Four groups of a 4:1:1 row from pixel x (a whole group): one group in
// each half of a register gives eight pixels in order; a step (24 bytes)
// reads 2 bytes beyond them unless its last 8-byte load starts 2 bytes early.
struct Yuv411Step {
    const std::uint8_t* source;
    std::uint8_t* out;
    PairShuffles shuffles;
    ZKV_MEMBER_AVX2 void operator()(std::uint32_t x, bool last) const {
        const std::uint8_t* step = source + 6 * (x / 4);
        YuvToRgb16Avx2(LoadGroupPair(step, step + 6), LoadGroupPair(step + 12, step + (last ? 16 : 18)),
                       shuffles, last, out + 4 * x);
    }
};

ZKV_TARGET_AVX2 void Yuv411Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    const std::uint32_t groups = width / 4;
    if (groups < 4) return Yuv411Groups(source, out, groups);
    const Yuv411Step step{source, out,
                          MakePairShuffles(_mm_setr_epi8(1, Z, 0, Z, 2, Z, 0, Z, 4, Z, 0, Z, 5, Z, 0, Z),
                                           _mm_setr_epi8(1, Z, 3, Z, 2, Z, 3, Z, 4, Z, 3, Z, 5, Z, 3, Z), 2)};
    CoverRow(out, groups * 4, 4, 20, step);
}

}  // namespace

void Yuv444Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv444RowBytes(inFormat), Yuv444Row);
}

void Yuv411Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv411RowBytes(inFormat), Yuv411Row);
}
