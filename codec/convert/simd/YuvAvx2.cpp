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

// Sixteen pixels from two registers of eight pixels' samples each.
ZKV_INLINE_AVX2 void YuvToRgb16Avx2(__m256i first, __m256i second, __m256i yu, __m256i yv,
                                    std::uint8_t* out) {
    YuvToRgb8Avx2(Pairs(first, yu), Pairs(first, yv), out);
    YuvToRgb8Avx2(Pairs(second, yu), Pairs(second, yv), out + 32);
}

ZKV_TARGET_AVX2 void Yuv444Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    const __m256i yu = BothHalves(_mm_setr_epi8(1, Z, 0, Z, 4, Z, 3, Z, 7, Z, 6, Z, 10, Z, 9, Z));
    const __m256i yv = BothHalves(_mm_setr_epi8(1, Z, 2, Z, 4, Z, 5, Z, 7, Z, 8, Z, 10, Z, 11, Z));
    std::uint32_t x = PixelsToAlignment(out, 32, width);
    Yuv444Pixels(source, out, x);
    // Pixels 0-3 | 4-7 in one register, 8-11 | 12-15 in the other, so that
    // each gives eight pixels in order; the last 16-byte load uses 12, so a
    // step needs 4 bytes after its 48.
    for (; 3 * x + 52 <= 3 * width; x += 16) {
        const std::uint8_t* step = source + 3 * x;
        YuvToRgb16Avx2(LoadHalves(step, step + 12), LoadHalves(step + 24, step + 36), yu, yv,
                       out + 4 * x);
    }
    Yuv444Pixels(source + 3 * x, out + 4 * x, width - x);
}

// 8 bytes from `low` in the low half and 8 from `high` in the high half.
ZKV_INLINE_AVX2 __m256i LoadGroupPair(const std::uint8_t* low, const std::uint8_t* high) {
    const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(low));
    const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

ZKV_TARGET_AVX2 void Yuv411Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    const __m256i yu = BothHalves(_mm_setr_epi8(1, Z, 0, Z, 2, Z, 0, Z, 4, Z, 0, Z, 5, Z, 0, Z));
    const __m256i yv = BothHalves(_mm_setr_epi8(1, Z, 3, Z, 2, Z, 3, Z, 4, Z, 3, Z, 5, Z, 3, Z));
    const std::uint32_t groups = width / 4;
    // Groups are 16 output bytes: one group aligns a 16-byte aligned row.
    std::uint32_t g = PixelsToAlignment(out, 32, groups * 4) / 4;
    Yuv411Groups(source, out, g);
    // One group in each half of a register gives eight pixels in order; a
    // step of four groups (24 bytes) reads 2 bytes beyond them.
    for (; 6 * g + 26 <= 6 * groups; g += 4) {
        const std::uint8_t* step = source + 6 * g;
        YuvToRgb16Avx2(LoadGroupPair(step, step + 6), LoadGroupPair(step + 12, step + 18), yu, yv,
                       out + 16 * g);
    }
    Yuv411Groups(source + 6 * g, out + 16 * g, groups - g);
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
