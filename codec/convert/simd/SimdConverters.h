// The fast converters: the same seven conversions as the plain ones, bit for
// bit, with SSE2, SSSE3, AVX2 and AVX-512. Each level has a table indexed by
// ConverterKind; a level without a fast form of a converter reuses the one of
// the level below it.
#pragma once

#include "convert/CpuLevel.h"
#include "convert/FrameConverter.h"

extern const FrameConverter kSse2Converters[kConverterKindCount];
extern const FrameConverter kSsse3Converters[kConverterKindCount];
extern const FrameConverter kAvx2Converters[kConverterKindCount];
extern const FrameConverter kAvx512Converters[kConverterKindCount];

extern const RowsConverter kSse2Rows[kConverterKindCount];
extern const RowsConverter kSsse3Rows[kConverterKindCount];
extern const RowsConverter kAvx2Rows[kConverterKindCount];
extern const RowsConverter kAvx512Rows[kConverterKindCount];

// The tables of a level (CpuLevel::Scalar gives the plain converters): into
// the bottom-up bitmap, and into rows placed as the caller says.
const FrameConverter* ConvertersForLevel(CpuLevel level);
const RowsConverter* RowsConvertersForLevel(CpuLevel level);

// The level chosen for this processor, detected on first use.
CpuLevel ActiveCpuLevel();

// The tables of ActiveCpuLevel(): ICM_DECOMPRESS runs the first, the Media
// Foundation decoder the second.
const FrameConverter* ActiveConverters();
const RowsConverter* ActiveRowsConverters();
