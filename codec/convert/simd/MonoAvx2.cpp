// 8-bit and 16-bit mono with AVX2: a 16-byte load repeated in both halves and
// one shuffle build eight pixels.
#include "convert/simd/Avx2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

ZKV_INLINE_AVX2 __m256i LoadBothHalves(const std::uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

ZKV_TARGET_AVX2 void Mono8Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    // Pixels 0-3 in the low half, 4-7 in the high half; then 8-15.
    const __m256i pixels0 = _mm256_setr_epi8(0, 0, 0, Z, 1, 1, 1, Z, 2, 2, 2, Z, 3, 3, 3, Z,
                                             4, 4, 4, Z, 5, 5, 5, Z, 6, 6, 6, Z, 7, 7, 7, Z);
    const __m256i pixels1 = _mm256_add_epi8(pixels0, _mm256_set1_epi8(8));
    std::uint32_t x = PixelsToAlignment(out, 32, width);
    Mono8Pixels(source, out, x);
    for (; x + 32 <= width; x += 32) {
        const __m256i grey0 = LoadBothHalves(source + x);
        const __m256i grey1 = LoadBothHalves(source + x + 16);
        std::uint8_t* pixel = out + 4 * x;
        StoreAvx2(pixel, _mm256_shuffle_epi8(grey0, pixels0));
        StoreAvx2(pixel + 32, _mm256_shuffle_epi8(grey0, pixels1));
        StoreAvx2(pixel + 64, _mm256_shuffle_epi8(grey1, pixels0));
        StoreAvx2(pixel + 96, _mm256_shuffle_epi8(grey1, pixels1));
    }
    Mono8Pixels(source + x, out + 4 * x, width - x);
}

ZKV_TARGET_AVX2 void Mono16Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    const __m256i pixels = _mm256_setr_epi8(0, 0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7,
                                            8, 8, 8, 9, 10, 10, 10, 11, 12, 12, 12, 13, 14, 14, 14, 15);
    std::uint32_t x = PixelsToAlignment(out, 32, width);
    Mono16Pixels(source, out, x);
    for (; x + 16 <= width; x += 16) {
        StoreAvx2(out + 4 * x, _mm256_shuffle_epi8(LoadBothHalves(source + 2 * x), pixels));
        StoreAvx2(out + 4 * x + 32, _mm256_shuffle_epi8(LoadBothHalves(source + 2 * x + 16), pixels));
    }
    Mono16Pixels(source + 2 * x, out + 4 * x, width - x);
}

}  // namespace

void Mono8Avx2(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*,
               void* out, DWORD) {
    ForEachRow(inFormat, in, out, Mono8RowBytes(inFormat), Mono8Row);
}

void Mono16Avx2(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*,
                void* out, DWORD) {
    ForEachRow(inFormat, in, out, Mono16RowBytes(inFormat), Mono16Row);
}
