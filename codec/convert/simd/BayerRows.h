// The walk of the fast Bayer converters over a frame: which rows and columns
// the vector kernels of a level cover, and which go through the per-pixel
// rules (convert/BayerPlane.h). Each level supplies its kernels in this table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/FrameConverter.h"

// One block row of BayerFast over columns [first, end), with steps as a
// DemosaicRowKernel's: the even row, the odd row (for a half block at the
// bottom of an odd height, the row two above it), their output rows (no odd
// output row for a half block).
using FastBlockRowKernel = void (*)(const std::uint8_t* even, const std::uint8_t* odd,
                                    std::uint8_t* outEven, std::uint8_t* outOdd,
                                    std::uint32_t first, std::uint32_t begin, std::uint32_t end);

// Where a row of BayerNearest or BayerEdge takes its colours from, away from
// the first and last columns: the row's own red or blue from the left
// neighbour or from its own block; the other of red and blue from the row
// above or from its own block (the block's other row, `third`); green at the
// red and blue sites by one of four rules.
enum class GreenRule : int {
    Left,          // the green on the left
    Sensed,        // edge sensing, with `third` the row below
    Pair,          // the block's green in the same row
    BlockAverage,  // the average of the block's two greens, `third` the block's other row
};

struct RowRule {
    bool rowColourOwn;
    bool otherColourOwn;
    GreenRule green;
};

// One row over columns [first, end), all three even and end - first at least
// one step: the row, the row above it, the third row of the rule, the output
// row, and the bytes from it to the next output row converted. The steps: one
// at `first`, whole ones from `begin` (first <= begin <= first + one step),
// and one ending at `end` when they do not fit exactly; overlapping steps
// convert some pixels twice, to the same values.
using DemosaicRowKernel = void (*)(const std::uint8_t* row, const std::uint8_t* above,
                                   const std::uint8_t* third, std::uint8_t* out,
                                   std::uint32_t first, std::uint32_t begin, std::uint32_t end,
                                   RowRule rule, std::ptrdiff_t nextRow);

struct BayerRowKernels {
    std::uint32_t lanes;  // pixels per vector step
    FastBlockRowKernel fast[5];  // by tile code
    // By the row's green parity and whether its other colour is red.
    DemosaicRowKernel demosaic[2][2];
};

void BayerFastRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                   const void* in, OutputRows out, DWORD tile);
void BayerNearestRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                      const void* in, OutputRows out, DWORD tile);
void BayerEdgeRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                   const void* in, OutputRows out, DWORD tile);
