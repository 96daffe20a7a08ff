// YUV 4:4:4 and 4:1:1 with AVX2: sixteen pixels per step; each half of a
// register gathers four pixels with one shuffle, and the halves are the two
// halves of eight output pixels, so nothing crosses them.
#include "convert/simd/Avx2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

// A (y, c, 128) dword shuffled from `bytes` as (y, 0, c, 128) and widened:
// the 16-bit lanes (8 y, 8 (c - 128)).
ZKV_INLINE_AVX2 __m256i Pairs8(__m256i bytes, __m256i shuffle) {
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(bytes, shuffle), _mm256_set1_epi32(kPairWidening));
}

// `low` in the low half, `high` in the high half.
ZKV_INLINE_AVX2 __m256i Halves(__m128i low, __m128i high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// Where a half of a loaded register puts its four pixels: `shift` bytes
// further in than the shuffles' base indices say, and an unused dword from
// byte `centre` on, which takes the bytes 128.
struct HalfPlace {
    char shift, centre;
};

// Where a register's two halves put their pixels.
struct RegisterPlace {
    HalfPlace low, high;
};

// The vpblendd mask of a register's two unused dwords.
constexpr int CentreDwords(RegisterPlace place) {
    return (1 << (place.low.centre / 4)) | (1 << (4 + place.high.centre / 4));
}

// A half's shuffle from base indices whose samples are bytes 0 and 2 of each
// dword (byte 1 a zero, byte 3 free): the samples moved in, byte 3 the 128.
ZKV_INLINE_AVX2 __m128i PlaceHalf(__m128i indices, HalfPlace place) {
    return _mm_or_si128(_mm_add_epi8(indices, _mm_set1_epi16(place.shift)),
                        _mm_set1_epi32(static_cast<std::int32_t>(place.centre) << 24));
}

// The shuffles of one register: its (y, u) and (y, v) dwords.
struct PairShuffles {
    __m256i yu, yv;
};

ZKV_INLINE_AVX2 PairShuffles MakePairShuffles(__m128i yu, __m128i yv, RegisterPlace place) {
    return {Halves(PlaceHalf(yu, place.low), PlaceHalf(yu, place.high)),
            Halves(PlaceHalf(yv, place.low), PlaceHalf(yv, place.high))};
}

// Eight pixels from a register of their samples whose unused dwords are
// `kCentreDwords` (a vpblendd mask); the next output row is `nextRow` bytes
// from this one.
template <int kCentreDwords>
ZKV_INLINE_AVX2 void YuvToRgb8(__m256i samples, const PairShuffles& s, std::uint8_t* out,
                               std::ptrdiff_t nextRow) {
    const __m256i bytes = _mm256_blend_epi32(samples, _mm256_set1_epi32(kCentreBytes), kCentreDwords);
    YuvToRgb8Avx2(Pairs8(bytes, s.yu), Pairs8(bytes, s.yv), out, nextRow);
}

// Whether the input bytes just before and just after a row belong to the
// frame: its rows lie one after another, so every row but the first in
// memory may read a few bytes of the one before it, and every row but the
// last a few of the one after.
struct RowNeighbours {
    bool before, after;
};

// Steps of sixteen pixels over a row of at least sixteen: one at the start,
// which also covers the output up to its first 32-byte boundary, aligned
// ones in the middle, and one ending at the row's last pixel. Overlapping
// steps write the same bytes again: each output byte depends on the input
// alone or is kept. `Step` (first pixel, whether it must read no byte outside
// its own) converts one step; steps start at multiples of `unit` pixels, and
// one that reads outside its own bytes starts at least `underread` pixels
// (at most 8) after the row's start and ends at least `overread` pixels
// (at least 16) before its end, unless the row's neighbours hold those bytes.
template <typename Step>
ZKV_INLINE_AVX2 void CoverRow(std::uint8_t* out, std::uint32_t pixels, std::uint32_t unit,
                              std::uint32_t underread, std::uint32_t overread, RowNeighbours neighbours,
                              const Step& step) {
    const auto edge = [&](std::uint32_t at) {
        return !((neighbours.before || at >= underread) && (neighbours.after || at + overread <= pixels));
    };
    std::uint32_t x = PixelsToAlignment(out, 32, 16) / unit * unit;
    if (!neighbours.before && x < underread) x += 8;  // 8 pixels are 32 output bytes
    if (x != 0) step(0u, edge(0));
    const std::uint32_t reach = neighbours.after ? 16 : overread;
    for (; x + reach <= pixels; x += 16) step(x, false);
    for (; x + 16 < pixels; x += 16) step(x, true);
    if (x < pixels) step(pixels - 16, edge(pixels - 16));
}

// The rows of a frame with whether each row's neighbours may be read.
template <typename Row>
void ForEachRowWithNeighbours(const BITMAPINFOHEADER* inFormat, const void* in,
                              OutputRows out, std::size_t rowBytes, const Row& row) {
    const auto* first = static_cast<const std::uint8_t*>(in);
    const std::uint8_t* end = FrameInputEnd(inFormat, in, rowBytes);
    ForEachRow(inFormat, in, out, rowBytes,
               [&](const std::uint8_t* source, std::uint8_t* pixels, std::uint32_t width) {
                   row(source, pixels, width, RowNeighbours{source != first, source + rowBytes != end});
               });
}

// The shuffles of a step's two registers, for steps at a row's ends, which
// load each half on its own so as to read no byte outside the step, and for
// those between, which load each register whole.
struct StepShuffles {
    PairShuffles edgeFirst, edgeSecond, middle;
};

// The shuffles from base indices of four pixels at byte 0 of a half.
template <typename Layout>
ZKV_INLINE_AVX2 StepShuffles MakeStepShuffles(__m128i yu, __m128i yv) {
    return {MakePairShuffles(yu, yv, Layout::kEdgeFirst), MakePairShuffles(yu, yv, Layout::kEdgeSecond),
            MakePairShuffles(yu, yv, Layout::kMiddle)};
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
        constexpr int kEdgeFirst = CentreDwords(Layout::kEdgeFirst);
        constexpr int kEdgeSecond = CentreDwords(Layout::kEdgeSecond);
        constexpr int kMiddle = CentreDwords(Layout::kMiddle);
        const std::uint8_t* step = source + Layout::SourceOffset(x);
        std::uint8_t* pixels = out + 4 * x;
        if (edge) {
            YuvToRgb8<kEdgeFirst>(Layout::EdgeFirst(step), shuffles.edgeFirst, pixels, nextRow);
            YuvToRgb8<kEdgeSecond>(Layout::EdgeSecond(step), shuffles.edgeSecond, pixels + 32, nextRow);
        } else {
            YuvToRgb8<kMiddle>(LoadAvx2(step - Layout::kBefore), shuffles.middle, pixels, nextRow);
            YuvToRgb8<kMiddle>(LoadAvx2(step + Layout::kSecond - Layout::kBefore), shuffles.middle, pixels + 32,
                               nextRow);
        }
    }
};

// A 4:4:4 step: pixels 0-3 | 4-7 in one register, 8-11 | 12-15 (from byte
// 24) in the other, so that each gives eight pixels in order. At the row's
// end the last 16-byte load starts at 32, 4 bytes early. A middle step loads
// each register from 4 bytes before its pixels, which puts pixels 0-3 at byte
// 4 of the low half and 4-7 at byte 0 of the high one: it reads 4 bytes before
// its 48 and 4 after (within 2 pixels of the row's start, 18 of its end).
// Each half holds four pixels in 12 of its 16 bytes: the other 4 take the 128.
struct Yuv444Layout {
    static constexpr std::ptrdiff_t kSecond = 24, kBefore = 4;
    static constexpr RegisterPlace kEdgeFirst{{0, 12}, {0, 12}};
    static constexpr RegisterPlace kEdgeSecond{{0, 12}, {4, 0}};
    static constexpr RegisterPlace kMiddle{{4, 0}, {0, 12}};
    static std::uint32_t SourceOffset(std::uint32_t x) { return 3 * x; }
    ZKV_MEMBER_AVX2 static __m256i EdgeFirst(const std::uint8_t* step) { return LoadHalves(step, step + 12); }
    ZKV_MEMBER_AVX2 static __m256i EdgeSecond(const std::uint8_t* step) { return LoadHalves(step + 24, step + 32); }
};

ZKV_TARGET_AVX2 void Yuv444Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width,
                               std::ptrdiff_t nextRow, RowNeighbours neighbours) {
    if (width < 16) return Yuv444Pixels(source, out, width);
    const YuvStep<Yuv444Layout> step{
        source, out, nextRow,
        MakeStepShuffles<Yuv444Layout>(_mm_setr_epi8(1, Z, 0, 0, 4, Z, 3, 0, 7, Z, 6, 0, 10, Z, 9, 0),
                                       _mm_setr_epi8(1, Z, 2, 0, 4, Z, 5, 0, 7, Z, 8, 0, 10, Z, 11, 0))};
    CoverRow(out, width, 1, 2, 18, neighbours, step);
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
// after (within 8 pixels of the row's start, 24 of its end). Each half holds
// one group in 6 of its 16 bytes: 4 of the others take the 128.
struct Yuv411Layout {
    static constexpr std::ptrdiff_t kSecond = 12, kBefore = 10;
    static constexpr RegisterPlace kEdgeFirst{{0, 12}, {0, 12}};
    static constexpr RegisterPlace kEdgeSecond{{0, 12}, {2, 12}};
    static constexpr RegisterPlace kMiddle{{10, 0}, {0, 12}};
    static std::uint32_t SourceOffset(std::uint32_t x) { return 6 * (x / 4); }
    ZKV_MEMBER_AVX2 static __m256i EdgeFirst(const std::uint8_t* step) { return LoadGroupPair(step, step + 6); }
    ZKV_MEMBER_AVX2 static __m256i EdgeSecond(const std::uint8_t* step) {
        return LoadGroupPair(step + 12, step + 16);
    }
};

ZKV_TARGET_AVX2 void Yuv411Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width,
                               std::ptrdiff_t nextRow, RowNeighbours neighbours) {
    const std::uint32_t groups = width / 4;
    if (groups < 4) return Yuv411Groups(source, out, groups);
    const YuvStep<Yuv411Layout> step{
        source, out, nextRow,
        MakeStepShuffles<Yuv411Layout>(_mm_setr_epi8(1, Z, 0, 0, 2, Z, 0, 0, 4, Z, 0, 0, 5, Z, 0, 0),
                                       _mm_setr_epi8(1, Z, 3, 0, 2, Z, 3, 0, 4, Z, 3, 0, 5, Z, 3, 0))};
    CoverRow(out, groups * 4, 4, 8, 24, neighbours, step);
}

}  // namespace

void Yuv444Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRowWithNeighbours(inFormat, in, out, Yuv444RowBytes(inFormat),
                             [&](const std::uint8_t* source, std::uint8_t* row, std::uint32_t width,
                                 RowNeighbours neighbours) { Yuv444Row(source, row, width, out.stride, neighbours); });
}

void Yuv411Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRowWithNeighbours(inFormat, in, out, Yuv411RowBytes(inFormat),
                             [&](const std::uint8_t* source, std::uint8_t* row, std::uint32_t width,
                                 RowNeighbours neighbours) { Yuv411Row(source, row, width, out.stride, neighbours); });
}
