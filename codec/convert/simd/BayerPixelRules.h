// The Bayer rules pixel by pixel, for the pixels the fast converters do not
// cover with vectors: the first and last columns, the first and last block
// rows, the half blocks of odd sizes and the ends of rows. They give exactly
// what the plain converters give there.
#pragma once

#include <cstdint>

#include "convert/FrameConverter.h"

// A colour is also its byte position in the output pixel.
using BayerColour = zkv::TileColour;
constexpr BayerColour kBayerBlue = zkv::kTileBlue, kBayerGreen = zkv::kTileGreen, kBayerRed = zkv::kTileRed;

class BayerPlane {
public:
    BayerPlane(const BITMAPINFOHEADER* inFormat, const void* in, void* out, DWORD tile);

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
    std::uint8_t* OutputRowOf(std::uint32_t r) const { return OutputRow(out_, width_, height_, r); }

    // Green parity of row r: the column parity of its green sites; and
    // whether the other colour of the row is red.
    std::uint32_t GreenParity(std::uint32_t r) const { return ColourAt(r, 0) == kBayerGreen ? 0 : 1; }
    bool RowColourIsRed(std::uint32_t r) const {
        return ColourAt(r, GreenParity(r) ^ 1) == kBayerRed;
    }

    void FastPixel(std::uint32_t r, std::uint32_t x) const;
    void NearestPixel(std::uint32_t r, std::uint32_t x) const;
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
    void* out_;
    std::uint32_t width_;
    std::uint32_t height_;
    const BayerColour* tile_;
    std::uint32_t lastBlockRow_;
    bool usable_;
};
