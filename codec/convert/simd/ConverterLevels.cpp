#include "convert/simd/SimdConverters.h"

#include "convert/simd/SimdKernels.h"

// SSSE3 pays for the byte shuffles of the mono and YUV layouts; the Bayer
// rules need no shuffles beyond SSE2.
const RowsConverter kSse2Rows[kConverterKindCount] = {
    Mono8Sse2, Mono16Sse2, Yuv444Sse2, Yuv411Sse2, BayerFastSse2, BayerNearestSse2, BayerEdgeSse2,
};
const RowsConverter kSsse3Rows[kConverterKindCount] = {
    Mono8Ssse3, Mono16Ssse3, Yuv444Ssse3, Yuv411Ssse3, BayerFastSse2, BayerNearestSse2, BayerEdgeSse2,
};
const RowsConverter kAvx2Rows[kConverterKindCount] = {
    Mono8Avx2, Mono16Avx2, Yuv444Avx2, Yuv411Avx2, BayerFastAvx2, BayerNearestAvx2, BayerEdgeAvx2,
};
// AVX-512 pays for the YUV layouts, whose multiply-adds bound them; the others
// are bound by their stores or are as fast with AVX2.
const RowsConverter kAvx512Rows[kConverterKindCount] = {
    Mono8Avx2, Mono16Avx2, Yuv444Avx512, Yuv411Avx512, BayerFastAvx2, BayerNearestAvx2, BayerEdgeAvx2,
};

const FrameConverter kSse2Converters[kConverterKindCount] = {
    BottomUp<Mono8Sse2>,     BottomUp<Mono16Sse2>,       BottomUp<Yuv444Sse2>,    BottomUp<Yuv411Sse2>,
    BottomUp<BayerFastSse2>, BottomUp<BayerNearestSse2>, BottomUp<BayerEdgeSse2>,
};
const FrameConverter kSsse3Converters[kConverterKindCount] = {
    BottomUp<Mono8Ssse3>,    BottomUp<Mono16Ssse3>,      BottomUp<Yuv444Ssse3>,   BottomUp<Yuv411Ssse3>,
    BottomUp<BayerFastSse2>, BottomUp<BayerNearestSse2>, BottomUp<BayerEdgeSse2>,
};
const FrameConverter kAvx2Converters[kConverterKindCount] = {
    BottomUp<Mono8Avx2>,     BottomUp<Mono16Avx2>,       BottomUp<Yuv444Avx2>,    BottomUp<Yuv411Avx2>,
    BottomUp<BayerFastAvx2>, BottomUp<BayerNearestAvx2>, BottomUp<BayerEdgeAvx2>,
};
const FrameConverter kAvx512Converters[kConverterKindCount] = {
    BottomUp<Mono8Avx2>,     BottomUp<Mono16Avx2>,       BottomUp<Yuv444Avx512>,  BottomUp<Yuv411Avx512>,
    BottomUp<BayerFastAvx2>, BottomUp<BayerNearestAvx2>, BottomUp<BayerEdgeAvx2>,
};

const FrameConverter* ConvertersForLevel(CpuLevel level) {
    switch (level) {
        case CpuLevel::Sse2: return kSse2Converters;
        case CpuLevel::Ssse3: return kSsse3Converters;
        case CpuLevel::Avx2: return kAvx2Converters;
        case CpuLevel::Avx512: return kAvx512Converters;
        case CpuLevel::Scalar: break;
    }
    return kFrameConverters;
}

const RowsConverter* RowsConvertersForLevel(CpuLevel level) {
    switch (level) {
        case CpuLevel::Sse2: return kSse2Rows;
        case CpuLevel::Ssse3: return kSsse3Rows;
        case CpuLevel::Avx2: return kAvx2Rows;
        case CpuLevel::Avx512: return kAvx512Rows;
        case CpuLevel::Scalar: break;
    }
    return kRowsConverters;
}

CpuLevel ActiveCpuLevel() {
    static const CpuLevel level = DetectCpuLevel();
    return level;
}

const FrameConverter* ActiveConverters() {
    static const FrameConverter* const table = ConvertersForLevel(ActiveCpuLevel());
    return table;
}

const RowsConverter* ActiveRowsConverters() {
    static const RowsConverter* const table = RowsConvertersForLevel(ActiveCpuLevel());
    return table;
}
