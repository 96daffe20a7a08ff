// YUV 4:4:4 and 4:1:1 with AVX-512 (F and BW): sixteen pixels per step, four
// in each 128-bit lane. One two-source dword permute moves each lane's
// samples to its start and gives it a dword of bytes 128, so that, as in the
// AVX2 form, one multiply-add of bytes widens each (y, c) pair and centres
// its chroma. The stores are masked: they keep the fourth bytes without
// reading the output, and a row's pixels before its first 64-byte boundary
// and after its last whole step are one masked step each. A step reads its
// samples with one plain load where that stays within the frame's input, and
// with a masked load of its own bytes only where it would not.
#include <immintrin.h>

#include "convert/simd/SimdKernels.h"
#include "convert/simd/SimdTarget.h"
#include "convert/simd/VectorRows.h"

// GCC's AVX-512 intrinsics start their results from a deliberately undefined
// register, which its uninitialised-use warnings report at every use.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {

constexpr char Z = -128;  // a shuffle index that yields 0

// The lowest `count` bits (at most 64) of a byte mask.
inline __mmask64 LowBits(std::uint32_t count) {
    return count >= 64 ? ~__mmask64{0} : (__mmask64{1} << count) - 1;
}

// Blue, green and red of each pixel, not its fourth byte.
constexpr __mmask64 kColourBytes = 0x7777777777777777ull;

// The permute and the two pair shuffles of a layout.
struct YuvShuffles512 {
    __m512i permute, yu, yv;
};

// Sixteen pixels from a register holding their samples in its low dwords:
// the permute takes them and dword 16 (a dword of the second source, the
// bytes 128); `store` masks the output bytes written.
ZKV_INLINE_AVX512 void YuvToRgb16(__m512i samples, const YuvShuffles512& s, std::uint8_t* out,
                                  __mmask64 store) {
    const __m512i lanes = _mm512_permutex2var_epi32(samples, s.permute, _mm512_set1_epi32(kCentreBytes));
    const __m512i widen = _mm512_set1_epi32(kPairWidening);
    const __m512i yu8 = _mm512_maddubs_epi16(_mm512_shuffle_epi8(lanes, s.yu), widen);
    const __m512i yv8 = _mm512_maddubs_epi16(_mm512_shuffle_epi8(lanes, s.yv), widen);
    const __m512i blue8 = _mm512_madd_epi16(yu8, _mm512_set1_epi32(kBlueFactors));
    const __m512i green8 = _mm512_add_epi32(_mm512_madd_epi16(yu8, _mm512_set1_epi32(kGreenUFactors)),
                                            _mm512_madd_epi16(yv8, _mm512_set1_epi32(kGreenVFactors)));
    const __m512i red8 = _mm512_madd_epi16(yv8, _mm512_set1_epi32(kRedFactors));
    // As in the AVX2 form: blue's high word moved to the low one beside
    // green's, red's read from its high word, all three clamped by the pack.
    const __m512i blueGreen = _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_srli_epi32(blue8, 16), green8);
    const __m512i bytes = _mm512_packus_epi16(blueGreen, red8);
    const __m512i order = _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 9, Z, 2, 3, 11, Z, 4, 5, 13, Z, 6, 7, 15, Z));
    _mm512_mask_storeu_epi8(out, store, _mm512_shuffle_epi8(bytes, order));
}

// 4:4:4: lane k holds pixels 4k..4k+3, the 12 bytes from 12k, and the bytes
// 128 in its last dword. A plain load takes 64 bytes for the step's 48.
struct Yuv444Layout512 {
    static constexpr std::uint32_t kUnit = 1, kLoadBytes = 64;
    static std::uint32_t SourceOffset(std::uint32_t x) { return 3 * x; }
    static std::uint32_t SourceBytes(std::uint32_t pixels) { return 3 * pixels; }
    ZKV_INLINE_AVX512 __m512i Load(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
    ZKV_INLINE_AVX512 YuvShuffles512 Shuffles() {
        return {_mm512_setr_epi32(0, 1, 2, 16, 3, 4, 5, 16, 6, 7, 8, 16, 9, 10, 11, 16),
                _mm512_broadcast_i32x4(_mm_setr_epi8(1, Z, 0, 12, 4, Z, 3, 12, 7, Z, 6, 12, 10, Z, 9, 12)),
                _mm512_broadcast_i32x4(_mm_setr_epi8(1, Z, 2, 12, 4, Z, 5, 12, 7, Z, 8, 12, 10, Z, 11, 12))};
    }
};

// 4:1:1: lane k holds group k, the 6 bytes from 6k, within the two dwords
// from byte 0 (lanes 0 and 2) or byte 4 (lanes 1 and 3) of the step, so its
// samples start at byte 0 or 2 of the lane; its last two dwords are bytes
// 128. A plain load takes 32 bytes for the step's 24.
struct Yuv411Layout512 {
    static constexpr std::uint32_t kUnit = 4, kLoadBytes = 32;
    static std::uint32_t SourceOffset(std::uint32_t x) { return 6 * (x / 4); }
    static std::uint32_t SourceBytes(std::uint32_t pixels) { return 6 * (pixels / 4); }
    ZKV_INLINE_AVX512 __m512i Load(const std::uint8_t* p) {
        return _mm512_zextsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
    }
    ZKV_INLINE_AVX512 YuvShuffles512 Shuffles() {
        // The lanes' shifts: 0 in lanes 0 and 2, 2 in lanes 1 and 3. A zero
        // index stays one, and the 128 stays in the lane's last two dwords.
        const __m512i shifts = _mm512_setr_epi32(0, 0, 0, 0, 0x02020202, 0x02020202, 0x02020202, 0x02020202, 0, 0,
                                                 0, 0, 0x02020202, 0x02020202, 0x02020202, 0x02020202);
        return {_mm512_setr_epi32(0, 1, 16, 16, 1, 2, 16, 16, 3, 4, 16, 16, 4, 5, 16, 16),
                _mm512_add_epi8(_mm512_broadcast_i32x4(_mm_setr_epi8(1, Z, 0, 8, 2, Z, 0, 8, 4, Z, 0, 8, 5, Z, 0, 8)),
                                shifts),
                _mm512_add_epi8(_mm512_broadcast_i32x4(_mm_setr_epi8(1, Z, 3, 8, 2, Z, 3, 8, 4, Z, 3, 8, 5, Z, 3, 8)),
                                shifts)};
    }
};

// `count` pixels (at most 16) of a row from pixel x, written where
// `colours` (kColourBytes) says; the frame's input ends at `end`. A masked
// store first brings the line it writes into the cache, so the step asks for
// the same pixels of the next output row, `nextRow` bytes away, as the
// converters that read their output do (at 2448 x 2048 a quarter less time).
template <typename Layout>
ZKV_INLINE_AVX512 void YuvStep512(const std::uint8_t* source, std::uint8_t* out, std::uint32_t x,
                                  std::uint32_t count, const std::uint8_t* end, std::ptrdiff_t nextRow,
                                  const YuvShuffles512& shuffles, __mmask64 colours) {
    PrefetchKeptOutput(out + 4 * x, nextRow);
    const std::uint8_t* from = source + Layout::SourceOffset(x);
    const __m512i samples = static_cast<std::size_t>(end - from) >= Layout::kLoadBytes
                                ? Layout::Load(from)
                                : _mm512_maskz_loadu_epi8(LowBits(Layout::SourceBytes(count)), from);
    YuvToRgb16(samples, shuffles, out + 4 * x, colours & LowBits(4 * count));
}

// A row of `pixels` (a multiple of the layout's unit): a step up to the
// output's first 64-byte boundary, whole steps, and a step of the rest.
template <typename Layout>
ZKV_TARGET_AVX512 void YuvRow512(const std::uint8_t* source, std::uint8_t* out, std::uint32_t pixels,
                                 const std::uint8_t* end, std::ptrdiff_t nextRow) {
    const YuvShuffles512 shuffles = Layout::Shuffles();
    // The colour bytes' mask, made opaque so that it stays in a mask register:
    // 32-bit code cannot move a 64-bit constant into one and would otherwise
    // build it on the stack again at every step.
    __mmask64 colours = kColourBytes;
    __asm__("" : "+Yk"(colours));
    std::uint32_t x = PixelsToAlignment(out, 64, 16) / Layout::kUnit * Layout::kUnit;
    if (x > pixels) x = pixels;
    if (x != 0) YuvStep512<Layout>(source, out, 0, x, end, nextRow, shuffles, colours);
    for (; x + 16 <= pixels; x += 16) YuvStep512<Layout>(source, out, x, 16, end, nextRow, shuffles, colours);
    if (x < pixels) YuvStep512<Layout>(source, out, x, pixels - x, end, nextRow, shuffles, colours);
}

template <typename Layout>
void YuvFrame512(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, std::size_t rowBytes,
                 std::uint32_t pixels) {
    const std::uint8_t* end = FrameInputEnd(inFormat, in, rowBytes);
    ForEachRow(inFormat, in, out, rowBytes, [&](const std::uint8_t* source, std::uint8_t* row, std::uint32_t) {
        YuvRow512<Layout>(source, row, pixels, end, out.stride);
    });
}

}  // namespace

void Yuv444Avx512(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD) {
    YuvFrame512<Yuv444Layout512>(inFormat, in, out, Yuv444RowBytes(inFormat),
                                 static_cast<std::uint32_t>(inFormat->biWidth));
}

// A 4:1:1 row's last width mod 4 pixels have no samples and are not written.
void Yuv411Avx512(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD) {
    YuvFrame512<Yuv411Layout512>(inFormat, in, out, Yuv411RowBytes(inFormat),
                                 static_cast<std::uint32_t>(inFormat->biWidth) / 4 * 4);
}
