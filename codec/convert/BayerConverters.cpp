// The plain Bayer converters: the rules of BayerPlane over every pixel, row by
// row.
#include "convert/BayerPlane.h"

namespace {

void EveryPixel(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out, DWORD tile,
                void (BayerPlane::*pixel)(std::uint32_t, std::uint32_t) const) {
    const BayerPlane plane(inFormat, in, out, tile);
    if (!plane.Usable()) return;
    for (std::uint32_t r = 0; r < plane.Height(); ++r) {
        for (std::uint32_t x = 0; x < plane.Width(); ++x) (plane.*pixel)(r, x);
    }
}

}  // namespace

void BayerFast(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
               DWORD tile) {
    EveryPixel(inFormat, in, out, tile, &BayerPlane::FastPixel);
}

void BayerNearest(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
                  DWORD tile) {
    EveryPixel(inFormat, in, out, tile, &BayerPlane::NearestPixel);
}

void BayerEdge(const BITMAPINFOHEADER* inFormat, const void* in, OutputRows out,
               DWORD tile) {
    EveryPixel(inFormat, in, out, tile, &BayerPlane::EdgePixel);
}
