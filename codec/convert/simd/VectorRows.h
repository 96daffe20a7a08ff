// What the fast mono and YUV converters share beyond the plain rows they
// finish each row with (convert/FrameRows.h): where a row's stores become
// aligned, how the output is prefetched and stored, and the YUV formula's
// factors for the vector multiplies.
#pragma once

#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

#include "convert/FrameRows.h"

// Pixels to convert one by one before `out` + 4 x (that count) is aligned to
// `alignment` bytes (at most `limit`): a 32-byte store across two cache lines
// costs about twice an aligned one, and the platform's buffers are often only
// 8- or 16-byte aligned. Output rows of a pixel count of 4 bytes each.
inline std::uint32_t PixelsToAlignment(const std::uint8_t* out, std::uint32_t alignment,
                                       std::uint32_t limit) {
    const std::uint32_t misaligned = static_cast<std::uint32_t>(
        reinterpret_cast<std::uintptr_t>(out) & (alignment - 1));
    const std::uint32_t pixels = misaligned % 4 != 0 ? 0 : ((alignment - misaligned) % alignment) / 4;
    return pixels < limit ? pixels : limit;
}

// Converters that keep the fourth byte read the output before they write it.
// Asking for the same pixels of the next output row, `nextRow` bytes away,
// hides that read's latency once the frame no longer fits the caches: the
// rows of a bottom-up bitmap descend through memory, and the processor's own
// prefetching does not follow them from one row to the next (measured in
// bench/: at 2448 x 2048 half the time of asking for the line 1 KB ahead in
// the same row). A prefetch never faults, so past the last row is harmless.
inline void PrefetchKeptOutput(const std::uint8_t* out, std::ptrdiff_t nextRow) {
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(out) +
                                               static_cast<std::uintptr_t>(nextRow)),
                 _MM_HINT_T0);
}

// Whether a frame's output is written with stores that bypass the caches: when
// it is larger than a last-level cache can hold beside the input. Measured in
// bench/: at 4.9 MB cached stores take half the time, at 20 MB and 49 MB the
// bypassing ones less than half.
constexpr std::size_t kStreamingOutputBytes = std::size_t{12} << 20;
inline bool StreamsOutput(const BITMAPINFOHEADER* in) {
    return std::size_t{4} * static_cast<std::uint32_t>(in->biWidth) *
               static_cast<std::uint32_t>(in->biHeight) >
           kStreamingOutputBytes;
}

// The YUV formula's coefficients as pairs of 16-bit factors for pmaddwd: a
// 32-bit lane holding (y, c - 128) times (luma factor, chroma factor) is the
// exact 32-bit sum of the formula. An arithmetic shift by 13 then gives the
// same clamped byte as the division toward zero: the two differ only for
// negative sums, which clamp to 0 either way.
constexpr std::int32_t PairFactors(int low, int high) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
                                     static_cast<std::uint32_t>(static_cast<std::uint16_t>(high))
                                         << 16);
}
constexpr std::int32_t kBlueFactors = PairFactors(9576, 13123);    // (y, u)
constexpr std::int32_t kGreenUFactors = PairFactors(9576, -6686);  // (y, u)
constexpr std::int32_t kGreenVFactors = PairFactors(0, -3218);     // (y, v)
constexpr std::int32_t kRedFactors = PairFactors(9576, 16591);     // (y, v)
constexpr int kYuvShift = 13;

// The bytes 128 that each (y, c) pair of the AVX2 and AVX-512 forms takes as
// (y, 0, c, 128), and the bytes (8, 0, 8, -8) that one multiply-add of bytes
// multiplies it by: the 16-bit lanes (8 y, 8 (c - 128)). The eight that scale
// the pair put each colour's value in the high word of its 32-bit sum.
constexpr std::int32_t kCentreBytes = static_cast<std::int32_t>(0x80808080u);
constexpr std::int32_t kPairWidening = static_cast<std::int32_t>(0xF8080008u);
constexpr std::int32_t kChromaBias = 128 << 16;  // taken off the high half of a (y, c) pair
