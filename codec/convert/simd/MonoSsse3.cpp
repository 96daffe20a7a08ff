// 8-bit and 16-bit mono with SSSE3: one byte shuffle builds four pixels.
#include <tmmintrin.h>

#include "convert/simd/Sse2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

ZKV_TARGET_SSSE3 void Mono8Row(const std::uint8_t* source, std::uint8_t* out,
                               std::uint32_t width) {
    const __m128i pixels0 = _mm_setr_epi8(0, 0, 0, Z, 1, 1, 1, Z, 2, 2, 2, Z, 3, 3, 3, Z);
    const __m128i next = _mm_set1_epi8(4);
    const __m128i pixels1 = _mm_add_epi8(pixels0, next);
    const __m128i pixels2 = _mm_add_epi8(pixels1, next);
    const __m128i pixels3 = _mm_add_epi8(pixels2, next);
    std::uint32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i grey = LoadSse2(source + x);
        std::uint8_t* pixel = out + 4 * x;
        StoreSse2(pixel, _mm_shuffle_epi8(grey, pixels0));
        StoreSse2(pixel + 16, _mm_shuffle_epi8(grey, pixels1));
        StoreSse2(pixel + 32, _mm_shuffle_epi8(grey, pixels2));
        StoreSse2(pixel + 48, _mm_shuffle_epi8(grey, pixels3));
    }
    Mono8Pixels(source + x, out + 4 * x, width - x);
}

ZKV_TARGET_SSSE3 void Mono16Row(const std::uint8_t* source, std::uint8_t* out,
                                std::uint32_t width) {
    const __m128i pixels0 = _mm_setr_epi8(0, 0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7);
    const __m128i pixels1 = _mm_add_epi8(pixels0, _mm_set1_epi8(8));
    std::uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i samples = LoadSse2(source + 2 * x);
        StoreSse2(out + 4 * x, _mm_shuffle_epi8(samples, pixels0));
        StoreSse2(out + 4 * x + 16, _mm_shuffle_epi8(samples, pixels1));
    }
    Mono16Pixels(source + 2 * x, out + 4 * x, width - x);
}

}  // namespace

void Mono8Ssse3(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Mono8RowBytes(inFormat), Mono8Row);
}

void Mono16Ssse3(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                 DWORD) {
    ForEachRow(inFormat, in, out, Mono16RowBytes(inFormat), Mono16Row);
}
