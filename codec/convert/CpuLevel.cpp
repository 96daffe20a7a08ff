#include "convert/CpuLevel.h"

#include <cpuid.h>

namespace {

constexpr unsigned kEdxSse2 = 1u << 26;
constexpr unsigned kEcxSsse3 = 1u << 9;
constexpr unsigned kEcxOsXsave = 1u << 27;
constexpr unsigned kEcxAvx = 1u << 28;
constexpr unsigned kEbxAvx2 = 1u << 5;
constexpr unsigned kEbxAvx512F = 1u << 16;
constexpr unsigned kEbxAvx512Bw = 1u << 30;
// XCR0: the operating system saves the SSE (bit 1) and AVX (bit 2) registers,
// and for AVX-512 the mask registers and both parts of the 512-bit ones (5-7).
constexpr unsigned kXcr0SseAvx = 0x6;
constexpr unsigned kXcr0Avx512 = 0xE6;

unsigned ReadXcr0() {
    unsigned low = 0;
    unsigned high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}

// The instructions of leaf 7 (in EBX), where the operating system saves the
// registers of XCR0 `saved` across task switches: 256-bit ones for AVX2, and
// the mask and 512-bit ones as well for AVX-512.
bool HasLeaf7(unsigned leaf1Ecx, unsigned instructions, unsigned saved) {
    if ((leaf1Ecx & (kEcxOsXsave | kEcxAvx)) != (kEcxOsXsave | kEcxAvx)) return false;
    if ((ReadXcr0() & saved) != saved) return false;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    return (ebx & instructions) == instructions;
}

}  // namespace

CpuLevel DetectCpuLevel() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return CpuLevel::Scalar;
    if (!(edx & kEdxSse2)) return CpuLevel::Scalar;
    if (!(ecx & kEcxSsse3)) return CpuLevel::Sse2;
    if (!HasLeaf7(ecx, kEbxAvx2, kXcr0SseAvx)) return CpuLevel::Ssse3;
    if (!HasLeaf7(ecx, kEbxAvx2 | kEbxAvx512F | kEbxAvx512Bw, kXcr0Avx512)) return CpuLevel::Avx2;
    return CpuLevel::Avx512;
}

const char* CpuLevelName(CpuLevel level) {
    static const char* const kNames[kCpuLevelCount] = {"scalar", "sse2", "ssse3", "avx2", "avx512"};
    const int index = static_cast<int>(level);
    return index >= 0 && index < kCpuLevelCount ? kNames[index] : "unknown";
}
