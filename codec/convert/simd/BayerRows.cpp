#include "convert/simd/BayerRows.h"

#include <cstring>

#include "convert/BayerPlane.h"
#include "convert/simd/VectorRows.h"

namespace {

// The most pixels a vector step covers (AVX2).
constexpr std::uint32_t kWidestStep = 32;

// Runs `step` over [begin, end) in whole vector steps (end >= lanes); when
// the steps do not fit exactly, the last one is moved left to end at `end`.
// It then converts some pixels twice, to the same values: every output byte
// is a function of the input alone (or of the fourth byte, which no step
// changes).
template <typename Step>
void CoverColumns(std::uint32_t begin, std::uint32_t end, std::uint32_t lanes, Step step) {
    if (end <= begin) return;
    const std::uint32_t whole = begin + (end - begin) / lanes * lanes;
    if (whole > begin) step(begin, whole);
    if (whole < end) step(end - lanes, end);
}

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

// The first step of a row: from column 2 where the row is long enough, with
// columns 0 and 1 by the rules (reading the row in place costs less than the
// copies below); else from column 0 on copies of the rows that have a byte
// before column 0, whose value for column 0 the rule's then replaces.
template <typename Kernel>
void FirstStep(const BayerPlane& plane, std::uint32_t r, std::uint32_t end, std::uint32_t lanes,
               const std::uint8_t* row, const std::uint8_t* above, const std::uint8_t* third,
               const Kernel& kernel, void (BayerPlane::*pixel)(std::uint32_t, std::uint32_t) const) {
    if (end >= lanes + 2) {
        kernel(row, above, third, 2, lanes + 2);
        (plane.*pixel)(r, 1);
    } else {
        const std::uint32_t width = plane.Width();
        const std::uint32_t copied = width < lanes + 1 ? width : lanes + 1;
        std::uint8_t rowCopy[kWidestStep + 2] = {};
        std::uint8_t aboveCopy[kWidestStep + 2] = {};
        std::uint8_t thirdCopy[kWidestStep + 2] = {};
        std::memcpy(rowCopy + 1, row, copied);
        std::memcpy(aboveCopy + 1, above, copied);
        std::memcpy(thirdCopy + 1, third, copied);
        kernel(rowCopy + 1, aboveCopy + 1, thirdCopy + 1, 0, lanes);
    }
    (plane.*pixel)(r, 0);
}

// One row of BayerNearest or BayerEdge: the kernel over the whole pairs of
// columns it can read around, the rest by the per-pixel rules.
void DemosaicRow(const BayerPlane& plane, const BayerRowKernels& kernels, std::uint32_t r,
                 bool edgeSensing, void (BayerPlane::*pixel)(std::uint32_t, std::uint32_t) const) {
    const std::uint32_t width = plane.Width();
    // Edge sensing reads the right neighbour, and the last column has none.
    const std::uint32_t end = (edgeSensing ? width - 1 : width) & ~1u;
    const std::uint32_t lanes = kernels.lanes;
    std::uint32_t covered = 0;
    if (end >= lanes) {
        const RowRule rule = RuleOfRow(plane, r, edgeSensing);
        const DemosaicRowKernel demosaic =
            kernels.demosaic[plane.GreenParity(r)][plane.RowColourIsRed(r)];
        std::uint8_t* out = plane.OutputRowOf(r);
        const auto kernel = [&](const std::uint8_t* row, const std::uint8_t* above, const std::uint8_t* third,
                                std::uint32_t begin, std::uint32_t stop) {
            demosaic(row, above, third, out, begin, stop, rule, plane.OutputStride());
        };
        const std::uint8_t* row = plane.Row(r);
        // The first row has no row above: its rule takes nothing from there.
        const std::uint8_t* above = plane.Row(r > 0 ? r - 1 : r);
        const std::uint8_t* third = plane.Row(ThirdRow(plane, r, rule));
        FirstStep(plane, r, end, lanes, row, above, third, kernel, pixel);
        // Steps read the column left of them, so none starts before column 2;
        // the first step covers the columns up to the aligned start.
        if (end > lanes) {
            CoverColumns(AlignedStart(out, lanes), end, lanes, [&](std::uint32_t begin, std::uint32_t stop) {
                kernel(row, above, third, begin, stop);
            });
        }
        covered = end;
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
            const auto step = [&](std::uint32_t begin, std::uint32_t stop) {
                kernels.fast[tile](plane.Row(even), plane.Row(odd), plane.OutputRowOf(even),
                                   whole ? plane.OutputRowOf(odd) : nullptr, begin, stop);
            };
            const std::uint32_t start = AlignedStart(plane.OutputRowOf(even), kernels.lanes);
            if (start < kernels.lanes) step(0, kernels.lanes);
            CoverColumns(start < kernels.lanes ? start : 0, end, kernels.lanes, step);
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
