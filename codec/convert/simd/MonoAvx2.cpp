// 8-bit and 16-bit mono with AVX2: a 16-byte load repeated in both halves and
// one shuffle build eight pixels. An output larger than the caches is written
// with stores that bypass them (StreamsOutput): it would not stay cached for
// whoever reads it next, and an ordinary store first reads every line it
// writes.
#include "convert/simd/Avx2Pixels.h"
#include "convert/simd/SimdKernels.h"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

ZKV_INLINE_AVX2 __m256i LoadBothHalves(const std::uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// The cache-bypassing store needs a 32-byte aligned address.
template <bool kStream>
ZKV_INLINE_AVX2 void Put(std::uint8_t* p, __m256i v) {
    if (kStream) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p), v);
    } else {
        StoreAvx2(p, v);
    }
}

bool Aligned32(const std::uint8_t* p) { return (reinterpret_cast<std::uintptr_t>(p) & 31) == 0; }

// Pixels [x, end of the whole steps) of a row; returns where it stopped.
template <bool kStream>
ZKV_TARGET_AVX2 std::uint32_t Mono8Steps(const std::uint8_t* source, std::uint8_t* out,
                                         std::uint32_t x, std::uint32_t width) {
    // Pixels 0-3 in the low half, 4-7 in the high half; then 8-15.
    const __m256i pixels0 = _mm256_setr_epi8(0, 0, 0, Z, 1, 1, 1, Z, 2, 2, 2, Z, 3, 3, 3, Z,
                                             4, 4, 4, Z, 5, 5, 5, Z, 6, 6, 6, Z, 7, 7, 7, Z);
    const __m256i pixels1 = _mm256_add_epi8(pixels0, _mm256_set1_epi8(8));
    for (; x + 32 <= width; x += 32) {
        const __m256i grey0 = LoadBothHalves(source + x);
        const __m256i grey1 = LoadBothHalves(source + x + 16);
        std::uint8_t* pixel = out + 4 * x;
        Put<kStream>(pixel, _mm256_shuffle_epi8(grey0, pixels0));
        Put<kStream>(pixel + 32, _mm256_shuffle_epi8(grey0, pixels1));
        Put<kStream>(pixel + 64, _mm256_shuffle_epi8(grey1, pixels0));
        Put<kStream>(pixel + 96, _mm256_shuffle_epi8(grey1, pixels1));
    }
    return x;
}

template <bool kStream>
ZKV_TARGET_AVX2 std::uint32_t Mono16Steps(const std::uint8_t* source, std::uint8_t* out,
                                          std::uint32_t x, std::uint32_t width) {
    const __m256i pixels = _mm256_setr_epi8(0, 0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7,
                                            8, 8, 8, 9, 10, 10, 10, 11, 12, 12, 12, 13, 14, 14, 14, 15);
    for (; x + 16 <= width; x += 16) {
        Put<kStream>(out + 4 * x, _mm256_shuffle_epi8(LoadBothHalves(source + 2 * x), pixels));
        Put<kStream>(out + 4 * x + 32, _mm256_shuffle_epi8(LoadBothHalves(source + 2 * x + 16), pixels));
    }
    return x;
}

template <bool kStream>
void Mono8Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    std::uint32_t x = PixelsToAlignment(out, 32, width);
    Mono8Pixels(source, out, x);
    x = kStream && Aligned32(out + 4 * x) ? Mono8Steps<true>(source, out, x, width)
                                          : Mono8Steps<false>(source, out, x, width);
    Mono8Pixels(source + x, out + 4 * x, width - x);
}

template <bool kStream>
void Mono16Row(const std::uint8_t* source, std::uint8_t* out, std::uint32_t width) {
    std::uint32_t x = PixelsToAlignment(out, 32, width);
    Mono16Pixels(source, out, x);
    x = kStream && Aligned32(out + 4 * x) ? Mono16Steps<true>(source, out, x, width)
                                          : Mono16Steps<false>(source, out, x, width);
    Mono16Pixels(source + 2 * x, out + 4 * x, width - x);
}

template <typename Row>
void Convert(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, std::size_t rowBytes,
             Row ordinary, Row streaming) {
    if (StreamsOutput(inFormat)) {
        ForEachRow(inFormat, in, out, rowBytes, streaming);
        // Cache-bypassing stores are weakly ordered: make them visible before
        // the frame is handed back.
        _mm_sfence();
    } else {
        ForEachRow(inFormat, in, out, rowBytes, ordinary);
    }
}

}  // namespace

void Mono8Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
               DWORD) {
    Convert(inFormat, in, out, Mono8RowBytes(inFormat), Mono8Row<false>, Mono8Row<true>);
}

void Mono16Avx2(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                DWORD) {
    Convert(inFormat, in, out, Mono16RowBytes(inFormat), Mono16Row<false>, Mono16Row<true>);
}
