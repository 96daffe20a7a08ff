#include "convert/CpuLevel.h"

#include <cpuid.h>

namespace {

constexpr unsigned kEdxSse2 = 1u << 26;
constexpr unsigned kEcxSsse3 = 1u << 9;
constexpr unsigned kEcxOsXsave = 1u << 27;
constexpr unsigned kEcxAvx = 1u << 28;
constexpr unsigned kEbxAvx2 = 1u << 5;
// XCR0: the operating system saves the SSE (bit 1) and AVX (bit 2) registers.
constexpr unsigned kXcr0SseAvx = 0x6;

unsigned ReadXcr0() {
    unsigned low = 0;
    unsigned high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}

// AVX2 needs the instructions and an operating system that preserves the
// 256-bit registers across task switches.
bool HasAvx2(unsigned leaf1Ecx) {
    if ((leaf1Ecx & (kEcxOsXsave | kEcxAvx)) != (kEcxOsXsave | kEcxAvx)) return false;
    if ((ReadXcr0() & kXcr0SseAvx) != kXcr0SseAvx) return false;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    return (ebx & kEbxAvx2) != 0;
}

}  // namespace

CpuLevel DetectCpuLevel() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return CpuLevel::Scalar;
    if (!(edx & kEdxSse2)) return CpuLevel::Scalar;
    if (!(ecx & kEcxSsse3)) return CpuLevel::Sse2;
    if (!HasAvx2(ecx)) return CpuLevel::Ssse3;
    return CpuLevel::Avx2;
}

const char* CpuLevelName(CpuLevel level) {
    static const char* const kNames[kCpuLevelCount] = {"scalar", "sse2", "ssse3", "avx2"};
    const int index = static_cast<int>(level);
    return index >= 0 && index < kCpuLevelCount ? kNames[index] : "unknown";
}
