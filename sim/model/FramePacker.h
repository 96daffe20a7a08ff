// Packs the scene into one camera frame in the byte layout of its format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CameraModel.h"
#include "FrameFormats.h"
#include "Scene.h"

namespace zkvsim {

// The luma the camera's mono modes report for a colour, as a 16-bit level.
std::uint16_t Luma16(Rgb c);

// Luma and chroma of a colour such that the system's integer YUV-to-RGB rule
// (blue from the first chroma byte, red from the second) gives it back.
struct Yuv {
    std::uint8_t y, u, v;
};
Yuv RgbToYuv(Rgb c);

// Writes frame number `frame` of `format` into out. The sensor's tile lays out
// the Bayer mosaic whatever tile the FOURCC names. Returns the bytes written,
// or 0 (nothing written) when the buffer is too small or the size unsuitable.
std::size_t PackFrame(const StreamFormat& format, BayerTile sensorTile, std::uint64_t frame,
                      std::uint8_t* out, std::size_t capacity);

}  // namespace zkvsim
