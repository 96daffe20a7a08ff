#include "Scene.h"

namespace zkvsim {
namespace {

constexpr Rgb kBars[kSceneBars] = {
    {255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
    {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0},
};
constexpr Rgb kSquare = {255, 128, 0};

}  // namespace

Rgb BarColor(std::uint32_t bar) { return kBars[bar % kSceneBars]; }

Rgb SceneColor(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
               std::uint64_t frame) {
    if (width == 0 || height == 0) return {0, 0, 0};
    if (IsBarRow(y, height)) return kBars[static_cast<std::uint64_t>(x) * kSceneBars / width];
    const std::uint32_t side = height - height * 3 / 4;
    if (width > side) {
        const std::uint64_t travel = width - side;
        const std::uint64_t left = (frame * kSceneSquareStep) % travel;
        if (x >= left && x < left + side) return kSquare;
    }
    const auto level = static_cast<std::uint8_t>(static_cast<std::uint64_t>(x) * 255 / width);
    return {level, level, level};
}

}  // namespace zkvsim
