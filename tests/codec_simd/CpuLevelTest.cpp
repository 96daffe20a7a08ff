// The dispatch: the level detected here and the table it selects; the scalar
// level is the plain table.
#include <gtest/gtest.h>

#include <cstdio>

#include "convert/simd/SimdConverters.h"

TEST(CpuLevel, ActiveTableIsTheDetectedLevelsAndBaselineIsSse2) {
    const CpuLevel level = DetectCpuLevel();
    // Every x86 processor the codec supports has SSE2.
    EXPECT_GE(static_cast<int>(level), static_cast<int>(CpuLevel::Sse2));
    EXPECT_EQ(level, ActiveCpuLevel());
    EXPECT_EQ(ConvertersForLevel(level), ActiveConverters());
    EXPECT_EQ(kFrameConverters, ConvertersForLevel(CpuLevel::Scalar));
    EXPECT_EQ(kAvx2Converters, ConvertersForLevel(CpuLevel::Avx2));
    EXPECT_EQ(kAvx512Converters, ConvertersForLevel(CpuLevel::Avx512));
    std::printf("detected level: %s\n", CpuLevelName(level));
}
