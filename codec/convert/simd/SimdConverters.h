// The fast converters: the same seven conversions as the plain ones, bit for
// bit, with SSE2, SSSE3 and AVX2. Each level has a table indexed by
// ConverterKind; a level without a fast form of a converter reuses the one of
// the level below it.
#pragma once

#include "convert/CpuLevel.h"
#include "convert/FrameConverter.h"

extern const FrameConverter kSse2Converters[kConverterKindCount];
extern const FrameConverter kSsse3Converters[kConverterKindCount];
extern const FrameConverter kAvx2Converters[kConverterKindCount];

// The table of a level (CpuLevel::Scalar gives the plain converters).
const FrameConverter* ConvertersForLevel(CpuLevel level);

// The level chosen for this processor, detected on first use.
CpuLevel ActiveCpuLevel();

// The table ICM_DECOMPRESS runs: the one of ActiveCpuLevel().
const FrameConverter* ActiveConverters();
