// The instruction levels the converters have fast paths for, and the level of
// the processor the codec runs on (detected once, with cpuid and xgetbv).
#pragma once

enum class CpuLevel : int {
    Scalar = 0,  // the plain converters: the reference the fast paths match
    Sse2 = 1,    // every x86 processor Windows runs on
    Ssse3 = 2,
    Avx2 = 3,
    Avx512 = 4,  // AVX-512 F and BW
};
constexpr int kCpuLevelCount = 5;

// The highest level this processor and the operating system support.
CpuLevel DetectCpuLevel();

const char* CpuLevelName(CpuLevel level);
