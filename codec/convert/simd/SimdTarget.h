// Function attributes that let one file hold code for a higher instruction
// level than the rest of the codec. Only functions carrying them use the
// level's instructions, so nothing else in the module can run into them on
// an older processor; they are reached only through the dispatch.
#pragma once

#define ZKV_TARGET_SSSE3 __attribute__((target("ssse3")))
#define ZKV_TARGET_AVX2 __attribute__((target("avx2")))
#define ZKV_TARGET_AVX512 __attribute__((target("avx2,avx512f,avx512bw")))

// Small helpers are always inlined into their caller of the same level.
#define ZKV_INLINE_SSE2 static inline __attribute__((always_inline))
#define ZKV_INLINE_SSSE3 static inline __attribute__((always_inline, target("ssse3")))
#define ZKV_INLINE_AVX2 static inline __attribute__((always_inline, target("avx2")))
#define ZKV_INLINE_AVX512 static inline __attribute__((always_inline, target("avx2,avx512f,avx512bw")))
// The same for a member function (a step object's call operator).
#define ZKV_MEMBER_AVX2 inline __attribute__((always_inline, target("avx2")))
