#include "convert/BayerPlane.h"

namespace {

// The tiles' colours are the system's frame format table's.
using zkv::kTileColours;

std::uint8_t Average(std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>((a + b) >> 1); }

}  // namespace

BayerPlane::BayerPlane(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile)
    : in_(static_cast<const std::uint8_t*>(in)),
      out_(out),
      width_(static_cast<std::uint32_t>(inFormat->biWidth)),
      height_(static_cast<std::uint32_t>(inFormat->biHeight)),
      tile_(kTileColours[tile >= 1 && tile <= 4 ? tile : 0]),
      lastBlockRow_(height_ > 0 ? (height_ - 1) / 2 : 0),
      usable_(width_ >= 2 && height_ >= 2 && tile >= 1 && tile <= 4) {}

// One past the last column or row (the missing half of a block at an odd
// edge) stands for the sample two columns left or two rows up.
std::uint8_t BayerPlane::Sample(std::uint32_t r, std::uint32_t x) const {
    return At(r >= height_ ? r - 2 : r, x >= width_ ? x - 2 : x);
}

std::uint8_t BayerPlane::BlockSample(std::uint32_t r, std::uint32_t x, BayerColour colour) const {
    const std::uint32_t top = r & ~1u;
    const std::uint32_t left = x & ~1u;
    for (std::uint32_t site = 0; site < 4; ++site) {
        if (tile_[site] == colour) return Sample(top + site / 2, left + site % 2);
    }
    return 0;
}

std::uint8_t BayerPlane::BlockGreenAverage(std::uint32_t r, std::uint32_t x) const {
    const std::uint32_t top = r & ~1u;
    const std::uint32_t left = x & ~1u;
    unsigned sum = 0;
    for (std::uint32_t site = 0; site < 4; ++site) {
        if (tile_[site] == kBayerGreen) sum += Sample(top + site / 2, left + site % 2);
    }
    return static_cast<std::uint8_t>(sum >> 1);
}

// The source lies left (same row), above (same column) or above-left
// (diagonal); the block's own sample replaces it where the rules say so.
std::uint8_t BayerPlane::LackingRedOrBlue(std::uint32_t r, std::uint32_t x, BayerColour colour,
                                          bool edgeSensing) const {
    std::int64_t sourceRow = r;
    std::int64_t sourceColumn = x;
    if (ColourAt(r, x) == kBayerGreen) {
        if (ColourAt(r, x ^ 1) == colour) {
            sourceColumn -= 1;
        } else {
            sourceRow -= 1;
        }
    } else {
        sourceRow -= 1;
        sourceColumn -= 1;
    }
    const std::uint32_t blockRow = r / 2;
    const bool blockOwn = sourceRow < 0 || sourceColumn < 0 ||
                          (blockRow == lastBlockRow_ && sourceRow / 2 == lastBlockRow_) ||
                          (edgeSensing && (blockRow == 0 || (blockRow == 1 && sourceRow / 2 == 0)));
    if (blockOwn) return BlockSample(r, x, colour);
    return At(static_cast<std::uint32_t>(sourceRow), static_cast<std::uint32_t>(sourceColumn));
}

std::uint8_t BayerPlane::NearestGreen(std::uint32_t r, std::uint32_t x) const {
    if (r / 2 == lastBlockRow_) return BlockGreenAverage(r, x);
    return x == 0 ? At(r, 1) : At(r, x - 1);
}

std::uint8_t BayerPlane::EdgeGreen(std::uint32_t r, std::uint32_t x) const {
    const std::uint32_t blockRow = r / 2;
    if (blockRow == 0 || blockRow == lastBlockRow_) return Sample(r, x ^ 1);
    const std::uint8_t up = At(r - 1, x);
    const std::uint8_t down = At(r + 1, x);
    if (x == 0 || x == width_ - 1) return Average(up, down);
    const std::uint8_t left = At(r, x - 1);
    const std::uint8_t right = At(r, x + 1);
    const int horizontal = left > right ? left - right : right - left;
    const int vertical = up > down ? up - down : down - up;
    return horizontal < vertical ? Average(left, right) : Average(up, down);
}

void BayerPlane::FastPixel(std::uint32_t r, std::uint32_t x) const {
    std::uint8_t* pixel = OutputPixel(r, x);
    pixel[kBayerRed] = BlockSample(r, x, kBayerRed);
    pixel[kBayerBlue] = BlockSample(r, x, kBayerBlue);
    pixel[kBayerGreen] = ColourAt(r, x) == kBayerGreen ? At(r, x) : BlockGreenAverage(r, x);
    pixel[3] = 0;
}

void BayerPlane::NearestPixel(std::uint32_t r, std::uint32_t x) const {
    std::uint8_t* pixel = OutputPixel(r, x);
    const BayerColour own = ColourAt(r, x);
    pixel[own] = At(r, x);
    if (own == kBayerGreen) {
        pixel[kBayerRed] = LackingRedOrBlue(r, x, kBayerRed, false);
        pixel[kBayerBlue] = LackingRedOrBlue(r, x, kBayerBlue, false);
    } else {
        pixel[kBayerGreen] = NearestGreen(r, x);
        const BayerColour other = own == kBayerRed ? kBayerBlue : kBayerRed;
        pixel[other] = LackingRedOrBlue(r, x, other, false);
    }
}

void BayerPlane::EdgePixel(std::uint32_t r, std::uint32_t x) const {
    std::uint8_t* pixel = OutputPixel(r, x);
    const BayerColour own = ColourAt(r, x);
    pixel[own] = At(r, x);
    if (own == kBayerGreen) {
        pixel[kBayerRed] = LackingRedOrBlue(r, x, kBayerRed, true);
        pixel[kBayerBlue] = LackingRedOrBlue(r, x, kBayerBlue, true);
    } else {
        pixel[kBayerGreen] = EdgeGreen(r, x);
        const BayerColour other = own == kBayerRed ? kBayerBlue : kBayerRed;
        pixel[other] = LackingRedOrBlue(r, x, other, true);
    }
}
