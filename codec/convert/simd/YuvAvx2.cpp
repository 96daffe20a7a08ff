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

// `low` in the low half, `high` in the high half.
ZKV_INLINE_AVX2 __m256i Halves(__m128i low, __m128i high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The shuffles of one register: (y, u) and (y, v) lanes.
struct PairShuffles {
    __m256i yu, yv;
};

// `low` in the low half and `high` in the high half, each moved `lowShift`
// and `highShift` bytes further in. The samples' indices are the even bytes,
// the odd ones yield the zero high bytes: the shift goes to the low byte of
// each 16-bit lane only.
ZKV_INLINE_AVX2 PairShuffles MakePairShuffles(__m128i yu, __m128i yv, char lowShift, char highShift) {
    const __m128i low = _mm_set1_epi16(lowShift);
    const __m128i high = _mm_set1_epi16(highShift);
    return {Halves(_mm_add_epi8(yu, low), _mm_add_epi8(yu, high)),
            Halves(_mm_add_epi8(yv, low), _mm_add_epi8(yv, high))};
}

// The shuffles of a step's two registers, for steps at a row's ends, which
// load each half on its own so as to read no byte outside the step, and for
// those between, which load each register whole.
struct StepShuffles {
    PairShuffles edgeFirst, edgeSecond, middle;
};

ZKV_INLINE_AVX2 StepShuffles MakeStepShuffles(__m128i yu, __m128i yv, char edgeShift, char middleShift) {
    return {MakePairShuffles(yu, yv, 0, 0), MakePairShuffles(yu, yv, 0, edgeShift),
            MakePairShuffles(yu, yv, middleShift, 0)};
}

// Eight pixels from a register of their samples; the next output row is
// `nextRow` bytes from this one.
ZKV_INLINE_AVX2 void YuvToRgb8(__m256i samples, const PairShuffles& s, std::uint8_t* out,
                               std::ptrdiff_t nextRow) {
    YuvToRgb8Avx2(Pairs(samples, s.yu), Pairs(samples, s.yv), out, nextRow);
}

// Steps of sixteen pixels over a row of at least sixteen: one at the start,
// which also covers the output up to its first 32-byte boundary, aligned
// ones in the middle, and one ending at the row's last pixel. Overlapping
// steps write the same bytes again: each output byte depends on the input
// alone or is kept. `Step` (first pixel, whether it must read no byte outside
// its own) converts one step; steps start at multiples of `unit` pixels, and
// one that reads outside its own bytes starts at least `underread` pixels
// (at most 8) after the row's start and ends at least `overread` pixels
// before its end.
template <typename Step>
ZKV_INLINE_AVX2 void CoverRow(std::uint8_t* out, std::uint32_t pixels, std::uint32_t unit,
                              std::uint32_t underread, std::uint32_t overread, const Step& step) {
    std::uint32_t x = PixelsToAlignment(out, 32, 16) / unit * unit;
    if (x < underread) x += 8;  // 8 pixels are 32 output bytes
    step(0u, true);
    for (; x + overread <= pixels; x += 16) step(x, false);
    for (; x + 16 < pixels; x += 16) step(x, true);
    if (x < pixels) step(pixels - 16, true);
}

// Sixteen pixels of a row from pixel x, the two registers from where
// `Layout` says: at a row's ends each half loaded on its own, between them
// each register whole.
template <typename Layout>
struct YuvStep {
    const std::uint8_t* source;
    std::uint8_t* out;
    std::ptrdiff_t nextRow;
    StepShuffles shuffles;
    ZKV_MEMBER_AVX2 void operator()(std::uint32_t x, bool edge) const {
        const std::uint8_t* step = source + Layout::SourceOffset(x);
        std::uint8_t* pixels = out + 4 * x;
        if (edge) {
            YuvToRgb8(Layout::EdgeFirst(step), shuffles.edgeFirst, pixels, nextRow);
            YuvToRgb8(Layout::EdgeSecond(step), shuffles.edgeSecond, pixels + 32, nextRow);
        } else {
            YuvToRgb8(LoadAvx2(step - Layout::kBefore), shuffles.middle, pixels, nextRow);
            YuvToRgb8(LoadAvx2(step + Layout::kSecond - Layout::kBefore), shuffles.middle, pixels + 32, nextRow);
        }
    }
};

// A 4:4:4 step: pixels 0-3 | 4-7 in one register, 8-11 | 12-15 (from byte
// 24) in the other, so that each gives eight pixels in order. At the row's
// end the last 16-byte load starts at 32, 4 bytes early. A middle step loads
// each register from 4 bytes before its pixels, which puts pixels 0-3 at byte
// 4 of the low half and 4-7 at byte 0 of the high one: it reads 4 bytes before
// its 48 and 4 after (within 2 pixels of the row's start, 18 of its end).
struct Yuv444Layout {
    static constexpr std::ptrdiff_t kSecond = 24, kBefore = 4;
    static std::uint32_t SourceOffset(std::uint32_t x) { return 3 * x; }
    ZKV_MEMBER_AVX2 static __m256i EdgeFirst(const std::uint8_t* step) { return LoadHalves(step, step + 12); }
    ZKV_MEMBER_AVX2 static __m256i EdgeSecond(const std::uint8_t* step) { return LoadHalves(step + 24, step + 32); }
};

ZKV_TARGET_AVX2 void Yuv444Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width,
                               std::ptrdiff_t nextRow) {
    if (width < 16) return Yuv444Pixels(source, out, width);
    const YuvStep<Yuv444Layout> step{source, out, nextRow,
                          MakeStepShuffles(_mm_setr_epi8(1, Z, 0, Z, 4, Z, 3, Z, 7, Z, 6, Z, 10, Z, 9, Z),
                                           _mm_setr_epi8(1, Z, 2, Z, 4, Z, 5, Z, 7, Z, 8, Z, 10, Z, 11, Z), 4, 4)};
    CoverRow(out, width, 1, 2, 18, step);
}

// 8 bytes from `low` in the low half and 8 from `high` in the high half.
ZKV_INLINE_AVX2 __m256i LoadGroupPair(const std::uint8_t* low, const std::uint8_t* high) {
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// A 4:1:1 step of four groups from pixel x (a whole group): one group in
// each half of a register gives eight pixels in order, groups 2 and 3 from
// byte 12. At the row's end each group is an 8-byte load, the last one 2
// bytes early. A middle step loads each register from 10 bytes before its
// groups, which puts the first group at byte 10 of the low half and the
// second at byte 0 of the high one: it reads 10 bytes before its 24 and 10
// after (within 8 pixels of the row's start, 24 of its end).
struct Yuv411Layout {
    static constexpr std::ptrdiff_t kSecond = 12, kBefore = 10;
    static std::uint32_t SourceOffset(std::uint32_t x) { return 6 * (x / 4); }
    ZKV_MEMBER_AVX2 static __m256i EdgeFirst(const std::uint8_t* step) { return LoadGroupPair(step, step + 6); }
    ZKV_MEMBER_AVX2 static __m256i EdgeSecond(const std::uint8_t* step) {
        return LoadGroupPair(step + 12, step + 16);
    }
};

ZKV_TARGET_AVX2 void Yuv411Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width,
                               std::ptrdiff_t nextRow) {
    const std::uint32_t groups = width / 4;
    if (groups < 4) return Yuv411Groups(source, out, groups);
    const YuvStep<Yuv411Layout> step{source, out, nextRow,
                          MakeStepShuffles(_mm_setr_epi8(1, Z, 0, Z, 2, Z, 0, Z, 4, Z, 0, Z, 5, Z, 0, Z),
                                           _mm_setr_epi8(1, Z, 3, Z, 2, Z, 3, Z, 4, Z, 3, Z, 5, Z, 3, Z), 2, 10)};
    CoverRow(out, groups * 4, 4, 8, 24, step);
}

}  // namespace

void Yuv444Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv444RowBytes(inFormat),
               [&](const std::uint8_t* source, std::uint8_t* row, std::uint32_t width) {
                   Yuv444Row(source, row, width, out.stride);
               });
}

void Yuv411Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Yuv411RowBytes(inFormat),
               [&](const std::uint8_t* source, std::uint8_t* row, std::uint32_t width) {
                   Yuv411Row(source, row, width, out.stride);
               });
}
