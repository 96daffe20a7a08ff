// The Bayer rules pixel by pixel: one byte per input pixel, each sampling the
// colour that the 2 x 2 tile gives its position; a pixel keeps its own sample
// for its own colour, and the three algorithms differ in where the two lacking
// colours come from. Blocks are the 2 x 2 squares anchored at the top-left
// pixel. The plain converters are these rules over every pixel; the fast ones
// use them for what their vectors do not cover (the first and last columns,
// the first and last block rows, the half blocks of odd sizes, row ends).
//
// Odd widths and heights: the last column (or row) is then the left (top) half
// of a block. Where a rule needs a sample of that block's missing half, it
// takes the sample two columns to the left (two rows up), which has the same
// colour and lies next to the pixel; so every pixel gets all three colours and
// nothing wraps into another row. The block row that holds the last row of the
// frame is the last block row of the rules, also when it is a half block.
//
// Frames narrower or lower than two pixels lack a colour altogether: the
// negotiation refuses them, and the converters write nothing for them.
#pragma once

#include <cstdint>

#include "convert/FrameConverter.h"

// A colour is also its byte position in the output pixel.
using BayerColour = zkv::TileColour;
constexpr BayerColour kBayerBlue = zkv::kTileBlue, kBayerGreen = zkv::kTileGreen, kBayerRed = zkv::kTileRed;

class BayerPlane {
public:
    BayerPlane(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile);

    // A frame the rules can fill: two rows and two columns, a known tile.
    bool Usable() const { return usable_; }
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    std::uint32_t LastBlockRow() const { return lastBlockRow_; }

    BayerColour ColourAt(std::uint32_t r, std::uint32_t x) const {
        return tile_[(r & 1) * 2 + (x & 1)];
    }
    const std::uint8_t* Row(std::uint32_t r) const {
        return in_ + static_cast<std::size_t>(r) * width_;
    }
    std::uint8_t At(std::uint32_t r, std::uint32_t x) const { return Row(r)[x]; }
    std::uint8_t* OutputRowOf(std::uint32_t r) const { return out_.Row(r); }
    // Bytes from an output row to the next one.
    std::ptrdiff_t OutputStride() const { return out_.stride; }

    // Green parity of row r: the column parity of its green sites; and
    // whether the other colour of the row is red.
    std::uint32_t GreenParity(std::uint32_t r) const { return ColourAt(r, 0) == kBayerGreen ? 0 : 1; }
    bool RowColourIsRed(std::uint32_t r) const {
        return ColourAt(r, GreenParity(r) ^ 1) == kBayerRed;
    }

    // BayerFast: red and blue of the block for all four pixels, green at the
    // red and blue sites the average of the block's greens, fourth byte 0.
    void FastPixel(std::uint32_t r, std::uint32_t x) const;
    // BayerNearest: green at a red or blue site the block's green average in
    // the last block row, else the green on the left (on the right in column
    // 0). The fourth byte is left as it was.
    void NearestPixel(std::uint32_t r, std::uint32_t x) const;
    // BayerEdge: green at a red or blue site in the first and last block rows
    // the block's green beside the pixel; elsewhere the average of the
    // horizontal or the vertical pair of greens, whichever differs less (a tie
    // takes the vertical pair); in the first and the last column only one
    // horizontal neighbour exists, so the vertical pair. The fourth byte is
    // left as it was.
    void EdgePixel(std::uint32_t r, std::uint32_t x) const;

private:
    std::uint8_t Sample(std::uint32_t r, std::uint32_t x) const;
    std::uint8_t BlockSample(std::uint32_t r, std::uint32_t x, BayerColour colour) const;
    std::uint8_t BlockGreenAverage(std::uint32_t r, std::uint32_t x) const;
    std::uint8_t LackingRedOrBlue(std::uint32_t r, std::uint32_t x, BayerColour colour,
                                  bool edgeSensing) const;
    std::uint8_t NearestGreen(std::uint32_t r, std::uint32_t x) const;
    std::uint8_t EdgeGreen(std::uint32_t r, std::uint32_t x) const;
    std::uint8_t* OutputPixel(std::uint32_t r, std::uint32_t x) const {
        return OutputRowOf(r) + static_cast<std::size_t>(x) * 4;
    }

    const std::uint8_t* in_;
    OutputRows out_;
    std::uint32_t width_;
    std::uint32_t height_;
    const BayerColour* tile_;
    std::uint32_t lastBlockRow_;
    bool usable_;
};
