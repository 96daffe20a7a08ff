// 8-bit and 16-bit mono with SSE2: sixteen (eight) pixels per step.
#include "convert/simd/Sse2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

void Mono8Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    const __m128i zero = _mm_setzero_si128();
    std::uint32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i grey = LoadSse2(source + x);
        StorePixels16(out + 4 * x, grey, grey, grey, zero);
    }
    Mono8Pixels(source + x, out + 4 * x, width - x);
}

// A sample s0, s1 becomes the pixel s0, s0, s0, s1.
void Mono16Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    std::uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i samples = LoadSse2(source + 2 * x);
        const __m128i grey = _mm_and_si128(samples, lowBytes);
        const __m128i greyGrey = _mm_or_si128(grey, _mm_slli_epi16(grey, 8));
        StoreSse2(out + 4 * x, _mm_unpacklo_epi16(greyGrey, samples));
        StoreSse2(out + 4 * x + 16, _mm_unpackhi_epi16(greyGrey, samples));
    }
    Mono16Pixels(source + 2 * x, out + 4 * x, width - x);
}

}  // namespace

void Mono8Sse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
               DWORD) {
    ForEachRow(inFormat, in, out, Mono8RowBytes(inFormat), Mono8Row);
}

void Mono16Sse2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    ForEachRow(inFormat, in, out, Mono16RowBytes(inFormat), Mono16Row);
}
