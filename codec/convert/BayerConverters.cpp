// Raw Bayer demosaicing: one byte per pixel, each sampling the colour that the
// 2 x 2 tile gives its position. A pixel keeps its own sample for its own
// colour; the three algorithms differ in where the two lacking colours come
// from. Blocks are the 2 x 2 squares anchored at the top-left pixel.
//
// Odd widths and heights: the last column (or row) is then the left (top) half
// of a block. Where a rule needs a sample of that block's missing half, it
// takes the sample two columns to the left (two rows up), which has the same
// colour and lies next to the pixel; so every pixel gets all three colours and
// nothing wraps into another row. The block row that holds the last row of the
// frame is the last block row of the rules, also when it is a half block.
//
// Frames narrower or lower than two pixels lack a colour altogether: the
// negotiation refuses them, and these converters write nothing for them.
#include "convert/FrameConverter.h"

namespace {

// A colour is also its byte position in the output pixel; the tiles' colours
// are the system's frame format table's.
using Colour = zkv::TileColour;
constexpr Colour kBlue = zkv::kTileBlue, kGreen = zkv::kTileGreen, kRed = zkv::kTileRed;
using zkv::kTileColours;

class BayerFrame {
public:
    BayerFrame(const BITMAPINFOHEADER* inFormat, const void* in, void* out, DWORD tile)
        : in_(static_cast<const std::uint8_t*>(in)),
          out_(out),
          width_(static_cast<std::uint32_t>(inFormat->biWidth)),
          height_(static_cast<std::uint32_t>(inFormat->biHeight)),
          tile_(kTileColours[tile >= 1 && tile <= 4 ? tile : 0]),
          lastBlockRow_(height_ > 0 ? (height_ - 1) / 2 : 0),
          usable_(width_ >= 2 && height_ >= 2 && tile >= 1 && tile <= 4) {}

    bool Usable() const { return usable_; }
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    std::uint32_t LastBlockRow() const { return lastBlockRow_; }

    Colour ColourAt(std::uint32_t r, std::uint32_t x) const { return tile_[(r & 1) * 2 + (x & 1)]; }

    std::uint8_t At(std::uint32_t r, std::uint32_t x) const {
        return in_[static_cast<std::size_t>(r) * width_ + x];
    }

    // A sample one past the last column or row stands for the missing half of
    // a block at an odd edge: it is taken two columns left or two rows up.
    std::uint8_t Sample(std::uint32_t r, std::uint32_t x) const {
        return At(r >= height_ ? r - 2 : r, x >= width_ ? x - 2 : x);
    }

    // The sample of red or blue in the block of pixel (r, x).
    std::uint8_t BlockSample(std::uint32_t r, std::uint32_t x, Colour colour) const {
        const std::uint32_t top = r & ~1u;
        const std::uint32_t left = x & ~1u;
        for (std::uint32_t site = 0; site < 4; ++site) {
            if (tile_[site] == colour) return Sample(top + site / 2, left + site % 2);
        }
        return 0;
    }

    // (g1 + g2) >> 1 of the block of pixel (r, x).
    std::uint8_t BlockGreenAverage(std::uint32_t r, std::uint32_t x) const {
        const std::uint32_t top = r & ~1u;
        const std::uint32_t left = x & ~1u;
        unsigned sum = 0;
        for (std::uint32_t site = 0; site < 4; ++site) {
            if (tile_[site] == kGreen) sum += Sample(top + site / 2, left + site % 2);
        }
        return static_cast<std::uint8_t>(sum >> 1);
    }

    std::uint8_t* OutputPixel(std::uint32_t r, std::uint32_t x) const {
        return OutputRow(out_, width_, height_, r) + static_cast<std::size_t>(x) * 4;
    }

private:
    const std::uint8_t* in_;
    void* out_;
    std::uint32_t width_;
    std::uint32_t height_;
    const Colour* tile_;
    std::uint32_t lastBlockRow_;
    bool usable_;
};

std::uint8_t Average(std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>((a + b) >> 1);
}

// Red or blue that a pixel lacks, for BayerNearest and BayerEdge. The source
// lies left (same row), above (same column) or above-left (diagonal) of the
// pixel; the block's own sample replaces it where the rules say so.
std::uint8_t LackingRedOrBlue(const BayerFrame& frame, std::uint32_t r, std::uint32_t x,
                              Colour colour, bool edgeSensing) {
    std::int64_t sourceRow = r;
    std::int64_t sourceColumn = x;
    if (frame.ColourAt(r, x) == kGreen) {
        if (frame.ColourAt(r, x ^ 1) == colour) {
            sourceColumn = static_cast<std::int64_t>(x) - 1;
        } else {
            sourceRow = static_cast<std::int64_t>(r) - 1;
        }
    } else {
        sourceRow = static_cast<std::int64_t>(r) - 1;
        sourceColumn = static_cast<std::int64_t>(x) - 1;
    }
    const std::uint32_t blockRow = r / 2;
    const bool outsideFrame = sourceRow < 0 || sourceColumn < 0;
    const bool blockOwn =
        outsideFrame ||
        (blockRow == frame.LastBlockRow() && sourceRow / 2 == frame.LastBlockRow()) ||
        (edgeSensing && (blockRow == 0 || (blockRow == 1 && sourceRow / 2 == 0)));
    if (blockOwn) return frame.BlockSample(r, x, colour);
    return frame.At(static_cast<std::uint32_t>(sourceRow), static_cast<std::uint32_t>(sourceColumn));
}

// Writes blue, green and red of pixel (r, x) from its own sample and the two
// lacking colours; the fourth byte is the caller's.
template <typename GreenRule>
void DemosaicPixel(const BayerFrame& frame, std::uint32_t r, std::uint32_t x, bool edgeSensing,
                   GreenRule green) {
    std::uint8_t* pixel = frame.OutputPixel(r, x);
    const Colour own = frame.ColourAt(r, x);
    pixel[own] = frame.At(r, x);
    if (own == kGreen) {
        pixel[kRed] = LackingRedOrBlue(frame, r, x, kRed, edgeSensing);
        pixel[kBlue] = LackingRedOrBlue(frame, r, x, kBlue, edgeSensing);
    } else {
        pixel[kGreen] = green(r, x);
        const Colour other = own == kRed ? kBlue : kRed;
        pixel[other] = LackingRedOrBlue(frame, r, x, other, edgeSensing);
    }
}

}  // namespace

// Block by block: red and blue are the block's samples for all four pixels;
// green at the red and blue sites is the average of the block's greens; the
// fourth byte is 0.
void BayerFast(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*,
               void* out, DWORD tile) {
    const BayerFrame frame(inFormat, in, out, tile);
    if (!frame.Usable()) return;
    for (std::uint32_t r = 0; r < frame.Height(); ++r) {
        for (std::uint32_t x = 0; x < frame.Width(); ++x) {
            std::uint8_t* pixel = frame.OutputPixel(r, x);
            pixel[kRed] = frame.BlockSample(r, x, kRed);
            pixel[kBlue] = frame.BlockSample(r, x, kBlue);
            pixel[kGreen] = frame.ColourAt(r, x) == kGreen ? frame.At(r, x)
                                                           : frame.BlockGreenAverage(r, x);
            pixel[3] = 0;
        }
    }
}

// Green at a red or blue site: the block's green average in the last block
// row, else the green on the left (on the right in column 0). The fourth byte
// is left as it was.
void BayerNearest(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*,
                  void* out, DWORD tile) {
    const BayerFrame frame(inFormat, in, out, tile);
    if (!frame.Usable()) return;
    const auto green = [&frame](std::uint32_t r, std::uint32_t x) {
        if (r / 2 == frame.LastBlockRow()) return frame.BlockGreenAverage(r, x);
        return x == 0 ? frame.At(r, 1) : frame.At(r, x - 1);
    };
    for (std::uint32_t r = 0; r < frame.Height(); ++r) {
        for (std::uint32_t x = 0; x < frame.Width(); ++x) {
            DemosaicPixel(frame, r, x, false, green);
        }
    }
}

// Green at a red or blue site: in the first and last block rows the block's
// green beside the pixel; elsewhere the average of the horizontal or the
// vertical pair of greens, whichever differs less (a tie takes the vertical
// pair). In the first and the last column only one horizontal neighbour
// exists, so the vertical pair is taken. The fourth byte is left as it was.
void BayerEdge(const BITMAPINFOHEADER* inFormat, const void* in, const BITMAPINFOHEADER*,
               void* out, DWORD tile) {
    const BayerFrame frame(inFormat, in, out, tile);
    if (!frame.Usable()) return;
    const std::uint32_t lastColumn = frame.Width() - 1;
    const auto green = [&frame, lastColumn](std::uint32_t r, std::uint32_t x) {
        const std::uint32_t blockRow = r / 2;
        if (blockRow == 0 || blockRow == frame.LastBlockRow()) return frame.Sample(r, x ^ 1);
        const std::uint8_t up = frame.At(r - 1, x);
        const std::uint8_t down = frame.At(r + 1, x);
        if (x == 0 || x == lastColumn) return Average(up, down);
        const std::uint8_t left = frame.At(r, x - 1);
        const std::uint8_t right = frame.At(r, x + 1);
        const int horizontal = left > right ? left - right : right - left;
        const int vertical = up > down ? up - down : down - up;
        return horizontal < vertical ? Average(left, right) : Average(up, down);
    };
    for (std::uint32_t r = 0; r < frame.Height(); ++r) {
        for (std::uint32_t x = 0; x < frame.Width(); ++x) {
            DemosaicPixel(frame, r, x, true, green);
        }
    }
}
