#include "convert/simd/SimdConverters.h"

#include "convert/simd/SimdKernels.h"

const FrameConverter kSse2Converters[kConverterKindCount] = {
    Mono8Sse2, Mono16Sse2, Yuv444Sse2, Yuv411Sse2, BayerFastSse2, BayerNearestSse2, BayerEdgeSse2,
};

// SSSE3 pays for the byte shuffles of the mono and YUV layouts; the Bayer
// rules need no shuffles beyond SSE2.
const FrameConverter kSsse3Converters[kConverterKindCount] = {
    Mono8Ssse3, Mono16Ssse3, Yuv444Ssse3, Yuv411Ssse3, BayerFastSse2, BayerNearestSse2, BayerEdgeSse2,
};

const FrameConverter kAvx2Converters[kConverterKindCount] = {
    Mono8Avx2, Mono16Avx2, Yuv444Avx2, Yuv411Avx2, BayerFastAvx2, BayerNearestAvx2, BayerEdgeAvx2,
};

const FrameConverter* ConvertersForLevel(CpuLevel level) {
    switch (level) {
        case CpuLevel::Sse2: return kSse2Converters;
        case CpuLevel::Ssse3: return kSsse3Converters;
        case CpuLevel::Avx2: return kAvx2Converters;
        case CpuLevel::Scalar: break;
    }
    return kFrameConverters;
}

CpuLevel ActiveCpuLevel() {
    static const CpuLevel level = DetectCpuLevel();
    return level;
}

const FrameConverter* ActiveConverters() {
    static const FrameConverter* const table = ConvertersForLevel(ActiveCpuLevel());
    return table;
}
