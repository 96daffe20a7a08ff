// A heap block aligned to a cache line, as OpenCV allocates its images, so
// that every converter and peer is measured on the same alignment.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

struct AlignedBytes {
    explicit AlignedBytes(std::size_t count, std::uint8_t fill)
        : bytes(static_cast<std::uint8_t*>(std::aligned_alloc(64, (count + 63) / 64 * 64))), size_(count) {
        std::memset(bytes, fill, count);
    }
    ~AlignedBytes() { std::free(bytes); }
    AlignedBytes(const AlignedBytes&) = delete;
    AlignedBytes& operator=(const AlignedBytes&) = delete;
    std::uint8_t* data() { return bytes; }
    std::size_t size() const { return size_; }
    std::uint8_t* begin() { return bytes; }
    std::uint8_t* end() { return bytes + size_; }

    std::uint8_t* bytes;
    std::size_t size_;
};
