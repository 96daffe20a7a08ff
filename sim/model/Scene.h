// The synthetic picture the virtual camera films: eight colour bars over the
// upper three quarters, a grey ramp below them with a square that moves one
// step to the right with every frame.
#pragma once

#include <cstdint>

namespace zkvsim {

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr std::uint32_t kSceneBars = 8;
constexpr std::uint32_t kSceneSquareStep = 8;  // pixels per frame

// The colour at (x, y) of a scene of the given size, in the given frame.
Rgb SceneColor(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
               std::uint64_t frame);

// The colour of bar i (0 white ... 7 black).
Rgb BarColor(std::uint32_t bar);

// True for rows that belong to the bars in a scene of that height.
inline bool IsBarRow(std::uint32_t y, std::uint32_t height) { return y < height * 3 / 4; }

}  // namespace zkvsim
