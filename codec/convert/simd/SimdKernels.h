// The fast converters of each level, in the RowsConverter form. Functions of
// a level above SSE2 must only be called where the processor has that level.
#pragma once

#include "convert/FrameConverter.h"

#define ZKV_DECLARE_CONVERTER(name)                                                          \
    void name(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile)

ZKV_DECLARE_CONVERTER(Mono8Sse2);
ZKV_DECLARE_CONVERTER(Mono16Sse2);
ZKV_DECLARE_CONVERTER(Yuv444Sse2);
ZKV_DECLARE_CONVERTER(Yuv411Sse2);
ZKV_DECLARE_CONVERTER(BayerFastSse2);
ZKV_DECLARE_CONVERTER(BayerNearestSse2);
ZKV_DECLARE_CONVERTER(BayerEdgeSse2);

ZKV_DECLARE_CONVERTER(Mono8Ssse3);
ZKV_DECLARE_CONVERTER(Mono16Ssse3);
ZKV_DECLARE_CONVERTER(Yuv444Ssse3);
ZKV_DECLARE_CONVERTER(Yuv411Ssse3);

ZKV_DECLARE_CONVERTER(Mono8Avx2);
ZKV_DECLARE_CONVERTER(Mono16Avx2);
ZKV_DECLARE_CONVERTER(Yuv444Avx2);
ZKV_DECLARE_CONVERTER(Yuv411Avx2);
ZKV_DECLARE_CONVERTER(BayerFastAvx2);
ZKV_DECLARE_CONVERTER(BayerNearestAvx2);
ZKV_DECLARE_CONVERTER(BayerEdgeAvx2);

ZKV_DECLARE_CONVERTER(Yuv444Avx512);
ZKV_DECLARE_CONVERTER(Yuv411Avx512);

#undef ZKV_DECLARE_CONVERTER
