#include "convert/simd/BayerRows.h"

#include <cstring>

#include "convert/BayerPlane.h"
#include "convert/simd/VectorRows.h"

namespace {

// The most pixels a vector step covers (AVX2).
constexpr std::uint32_t kWidestStep = 32;

// An even column in [1, lanes] from which the output row is aligned to the
// vector width (stores across two cache lines cost about twice as much), or
// `lanes` when no even column gets there. Steps may start there because a
// row's first step covers the columns before it.
std::uint32_t AlignedStart(const std::uint8_t* outRow, std::uint32_t lanes) {
    const std::uint32_t bytes = lanes * 4 > 32 ? 32 : lanes * 4;
    const std::uint32_t after = PixelsToAlignment(outRow + 4 * lanes, bytes, lanes);
    const std::uint32_t start = lanes - ((bytes / 4 - after) % (bytes / 4));
    return start % 2 == 0 && start >= 2 ? start : lanes;
}

// The rule of row r for the columns the kernels cover (none of their sources
// lies left of the frame).
RowRule RuleOfRow(const BayerPlane& plane, std::uint32_t r, bool edgeSensing) {
    const std::uint32_t blockRow = r / 2;
    const std::uint32_t lastBlockRow = plane.LastBlockRow();
    const bool last = blockRow == lastBlockRow;
    RowRule rule{};
    rule.rowColourOwn = last || (edgeSensing && blockRow == 0);
    rule.otherColourOwn = r == 0 || (last && (r - 1) / 2 == lastBlockRow) ||
                          (edgeSensing && (blockRow == 0 || r == 2));
    if (edgeSensing) {
        rule.green = blockRow == 0 || last ? GreenRule::Pair : GreenRule::Sensed;
    } else {
        rule.green = last ? GreenRule::BlockAverage : GreenRule::Left;
    }
    return rule;
}

// The row that completes the block of row r (two rows up for a half block at
// the bottom), or for edge sensing the row below.
std::uint32_t ThirdRow(const BayerPlane& plane, std::uint32_t r, const RowRule& rule) {
    if (rule.green == GreenRule::Sensed) return r + 1;
    const std::uint32_t partner = r ^ 1;
    return partner < plane.Height() ? partner : r - 1;
}

// One row of BayerNearest or BayerEdge: the kernel over the whole pairs of
// columns, in one call; the columns whose neighbours lie outside the row by
// the per-pixel rules. Steps read a byte left of them and, for edge sensing,
// one right of them. A row with rows before and after it may read those
// bytes from its neighbours in the frame: the kernel covers it from column 0
// to its last pair, and the rules then replace column 0 and, for edge sensing,
// the last column. Another row starts the kernel at column 2, with columns 0
// and 1 by the rules, and ends it before the last column that lacks its right
// neighbour; a row too short for that is one step from column 0 on copies of
// the rows that have a byte before column 0. Later steps start at the aligned
// column.
void DemosaicRow(const BayerPlane& plane, const BayerRowKernels& kernels, std::uint32_t r,
                 bool edgeSensing, void (BayerPlane::*pixel)(std::uint32_t, std::uint32_t) const) {
    const std::uint32_t width = plane.Width();
    const std::uint32_t pairs = width & ~1u;
    // Within the row, edge sensing has no right neighbour for the last column.
    const std::uint32_t end = edgeSensing ? (width - 1) & ~1u : pairs;
    const std::uint32_t lanes = kernels.lanes;
    const bool framed = r >= 2 && r + 1 < plane.Height();
    std::uint32_t covered = 0;
    if (end >= lanes || (framed && pairs >= lanes)) {
        const RowRule rule = RuleOfRow(plane, r, edgeSensing);
        const DemosaicRowKernel kernel =
            kernels.demosaic[plane.GreenParity(r)][plane.RowColourIsRed(r)];
        const std::uint8_t* row = plane.Row(r);
        // The first row has no row above: its rule takes nothing from there.
        const std::uint8_t* above = plane.Row(r > 0 ? r - 1 : r);
        const std::uint8_t* third = plane.Row(ThirdRow(plane, r, rule));
        std::uint8_t* out = plane.OutputRowOf(r);
        const std::ptrdiff_t nextRow = plane.OutputStride();
        if (framed && pairs >= lanes) {
            kernel(row, above, third, out, 0, AlignedStart(out, lanes), pairs, rule, nextRow);
            covered = edgeSensing && pairs == width ? width - 1 : pairs;
        } else if (end >= lanes + 2) {
            kernel(row, above, third, out, 2, AlignedStart(out, lanes), end, rule, nextRow);
            (plane.*pixel)(r, 1);
            covered = end;
        } else {
            const std::uint32_t copied = width < lanes + 1 ? width : lanes + 1;
            std::uint8_t rowCopy[kWidestStep + 2] = {};
            std::uint8_t aboveCopy[kWidestStep + 2] = {};
            std::uint8_t thirdCopy[kWidestStep + 2] = {};
            std::memcpy(rowCopy + 1, row, copied);
            std::memcpy(aboveCopy + 1, above, copied);
            std::memcpy(thirdCopy + 1, third, copied);
            kernel(rowCopy + 1, aboveCopy + 1, thirdCopy + 1, out, 0, 0, lanes, rule, nextRow);
            covered = end;
        }
        (plane.*pixel)(r, 0);
    }
    for (std::uint32_t x = covered; x < width; ++x) (plane.*pixel)(r, x);
}

}  // namespace

void BayerFastRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                   const void* in, OutputRows out, DWORD tile) {
    const BayerPlane plane(inFormat, in, out, tile);
    if (!plane.Usable()) return;
    const std::uint32_t width = plane.Width();
    const std::uint32_t height = plane.Height();
    // Whole blocks only: an odd last column is a half block.
    const std::uint32_t end = width & ~1u;
    const bool vectors = end >= kernels.lanes;
    for (std::uint32_t even = 0; even < height; even += 2) {
        const bool whole = even + 1 < height;
        const std::uint32_t odd = whole ? even + 1 : even - 1;
        if (vectors) {
            // A first step at column 0, then steps from the aligned column.
            const std::uint32_t start = AlignedStart(plane.OutputRowOf(even), kernels.lanes);
            kernels.fast[tile](plane.Row(even), plane.Row(odd), plane.OutputRowOf(even),
                               whole ? plane.OutputRowOf(odd) : nullptr, 0, start < kernels.lanes ? start : 0,
                               end);
        }
        for (std::uint32_t x = vectors ? end : 0; x < width; ++x) {
            plane.FastPixel(even, x);
            if (whole) plane.FastPixel(odd, x);
        }
    }
}

void BayerNearestRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                      const void* in, OutputRows out, DWORD tile) {
    const BayerPlane plane(inFormat, in, out, tile);
    if (!plane.Usable()) return;
    for (std::uint32_t r = 0; r < plane.Height(); ++r) {
        DemosaicRow(plane, kernels, r, false, &BayerPlane::NearestPixel);
    }
}

void BayerEdgeRows(const BayerRowKernels& kernels, const BITMAPINFOHEADER* inFormat,
                   const void* in, OutputRows out, DWORD tile) {
    const BayerPlane plane(inFormat, in, out, tile);
    if (!plane.Usable()) return;
    for (std::uint32_t r = 0; r < plane.Height(); ++r) {
        DemosaicRow(plane, kernels, r, true, &BayerPlane::EdgePixel);
    }
}
