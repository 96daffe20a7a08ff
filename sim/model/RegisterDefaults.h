// The power-up contents of the camera registers that hold the same value on
// every kind of virtual camera, and whether the bus may write them. The
// registers that depend on the kind (the video mode inquiries, the feature
// registers, the tile mapping, the serial number) are set up by CameraModel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zkvsim {

struct RegisterDefault {
    std::uint32_t address;
    std::uint32_t value;
    bool writable;
};

const RegisterDefault* RegisterDefaults(std::size_t* count);

// Four ASCII characters as the camera stores them: the first in the highest byte.
constexpr std::uint32_t AsciiQuadlet(const char (&four)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(four[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(four[3]));
}

}  // namespace zkvsim
