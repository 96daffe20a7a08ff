#include "DeviceKinds.h"

#include "ZKVRequests.h"

namespace zkvsim {
namespace {

constexpr std::uint32_t kColorCodings = CodingBit(ColorCoding::Mono8) | CodingBit(ColorCoding::Mono16) |
                                        CodingBit(ColorCoding::Yuv411) | CodingBit(ColorCoding::Yuv422) |
                                        CodingBit(ColorCoding::Yuv444) | CodingBit(ColorCoding::Rgb8);
constexpr std::uint32_t kMonoCodings = CodingBit(ColorCoding::Mono8) | CodingBit(ColorCoding::Mono16);
constexpr std::uint32_t kYuv411Codings = CodingBit(ColorCoding::Mono8) | CodingBit(ColorCoding::Yuv411);

constexpr std::uint32_t kBayerPixels = ZKV_PIXEL_MONO8 | ZKV_PIXEL_RAW8 | ZKV_PIXEL_MONO16 | ZKV_PIXEL_YUV411 |
                                       ZKV_PIXEL_YUV422 | ZKV_PIXEL_YUV444;
constexpr std::uint32_t kYuvPixels = ZKV_PIXEL_MONO8 | ZKV_PIXEL_MONO16 | ZKV_PIXEL_YUV411 | ZKV_PIXEL_YUV422 |
                                     ZKV_PIXEL_YUV444;
constexpr std::uint32_t kMonoPixels = ZKV_PIXEL_MONO8 | ZKV_PIXEL_MONO16;

constexpr Format7ModeSpec kNoMode = {false, 0, 0, 0, 0, 0, 0};

// Mode 0 is the full sensor, mode 1 the sensor binned 2 x 2, mode 2 (colour
// cameras) a fine-grained window on the sensor's centre part.
#define ZKV_COLOR_FORMAT7(pixels, firstPixel, windowPixels)                                  \
    {{true, 1024, 768, 4, 2, pixels, firstPixel},                                            \
     {true, 512, 384, 8, 4, ZKV_PIXEL_MONO8 | ZKV_PIXEL_YUV422, ZKV_PIXEL_MONO8},            \
     {true, 640, 480, 2, 2, windowPixels, ZKV_PIXEL_MONO8},                                  \
     kNoMode, kNoMode, kNoMode, kNoMode, kNoMode}

constexpr DeviceKind kKinds[] = {
    {"bayer", "Bayer RGGB", BayerTile::RGGB, kColorCodings, MakeFourcc('R', 'G', 'B', '3'), 640, 480,
     ZKV_COLOR_FORMAT7(kBayerPixels, ZKV_PIXEL_RAW8, ZKV_PIXEL_MONO8 | ZKV_PIXEL_RAW8)},
    {"bayer-grbg", "Bayer GRBG", BayerTile::GRBG, kColorCodings, MakeFourcc('G', 'R', 'B', '3'), 640, 480,
     ZKV_COLOR_FORMAT7(kBayerPixels, ZKV_PIXEL_RAW8, ZKV_PIXEL_MONO8 | ZKV_PIXEL_RAW8)},
    {"bayer-gbrg", "Bayer GBRG", BayerTile::GBRG, kColorCodings, MakeFourcc('G', 'B', 'R', '3'), 640, 480,
     ZKV_COLOR_FORMAT7(kBayerPixels, ZKV_PIXEL_RAW8, ZKV_PIXEL_MONO8 | ZKV_PIXEL_RAW8)},
    {"bayer-bggr", "Bayer BGGR", BayerTile::BGGR, kColorCodings, MakeFourcc('B', 'G', 'R', '3'), 640, 480,
     ZKV_COLOR_FORMAT7(kBayerPixels, ZKV_PIXEL_RAW8, ZKV_PIXEL_MONO8 | ZKV_PIXEL_RAW8)},
    {"yuv", "YUV", BayerTile::None, kColorCodings, MakeFourcc('Z', 'Y', '4', '1'), 640, 480,
     ZKV_COLOR_FORMAT7(kYuvPixels, ZKV_PIXEL_YUV411, ZKV_PIXEL_MONO8 | ZKV_PIXEL_YUV422)},
    {"yuv411", "YUV 4:1:1", BayerTile::None, kYuv411Codings, MakeFourcc('Z', 'Y', '4', '1'), 640, 480,
     {{true, 1024, 768, 4, 2, ZKV_PIXEL_MONO8 | ZKV_PIXEL_YUV411, ZKV_PIXEL_YUV411},
      kNoMode, kNoMode, kNoMode, kNoMode, kNoMode, kNoMode, kNoMode}},
    {"mono", "Mono", BayerTile::None, kMonoCodings, MakeFourcc('Y', '8', '0', '0'), 640, 480,
     {{true, 1024, 768, 4, 2, kMonoPixels, ZKV_PIXEL_MONO8},
      {true, 512, 384, 8, 4, kMonoPixels, ZKV_PIXEL_MONO8},
      kNoMode, kNoMode, kNoMode, kNoMode, kNoMode, kNoMode}},
};

#undef ZKV_COLOR_FORMAT7

constexpr StandardMode kStandardModes[] = {
    {0, 0, 160, 120, ColorCoding::Yuv444},  {0, 1, 320, 240, ColorCoding::Yuv422},
    {0, 2, 640, 480, ColorCoding::Yuv411},  {0, 3, 640, 480, ColorCoding::Yuv422},
    {0, 4, 640, 480, ColorCoding::Rgb8},    {0, 5, 640, 480, ColorCoding::Mono8},
    {0, 6, 640, 480, ColorCoding::Mono16},  {1, 0, 800, 600, ColorCoding::Yuv422},
    {1, 1, 800, 600, ColorCoding::Rgb8},    {1, 2, 800, 600, ColorCoding::Mono8},
    {1, 3, 1024, 768, ColorCoding::Yuv422}, {1, 4, 1024, 768, ColorCoding::Rgb8},
    {1, 5, 1024, 768, ColorCoding::Mono8},  {1, 6, 800, 600, ColorCoding::Mono16},
    {1, 7, 1024, 768, ColorCoding::Mono16}, {2, 0, 1280, 960, ColorCoding::Yuv422},
    {2, 1, 1280, 960, ColorCoding::Rgb8},   {2, 2, 1280, 960, ColorCoding::Mono8},
    {2, 6, 1280, 960, ColorCoding::Mono16},
};

}  // namespace

const DeviceKind* DeviceKinds(std::size_t* count) {
    *count = sizeof(kKinds) / sizeof(kKinds[0]);
    return kKinds;
}

const DeviceKind* FindDeviceKind(const std::string& name) {
    for (const DeviceKind& kind : kKinds) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

const StandardMode* StandardModes(std::size_t* count) {
    *count = sizeof(kStandardModes) / sizeof(kStandardModes[0]);
    return kStandardModes;
}

std::int64_t FrameIntervalOfRate(std::uint32_t rateIndex) {
    // 1.875 fps is 5,333,333.3 units of 100 ns; each index doubles the rate.
    const std::int64_t base = 16000000;  // three times the slowest interval
    return base / (3LL << (rateIndex < kFrameRateCount ? rateIndex : kFrameRateCount - 1));
}

std::uint32_t RateNearestInterval(std::int64_t interval) {
    std::uint32_t best = 0;
    std::int64_t bestDistance = -1;
    for (std::uint32_t i = 0; i < kFrameRateCount; ++i) {
        std::int64_t d = FrameIntervalOfRate(i) - interval;
        if (d < 0) d = -d;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace zkvsim
