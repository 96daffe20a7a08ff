// The fuzzer's bytes read as a stream of values; past the end every value is 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return offset_ >= size_; }
    template <typename T>
    T Take() {
        T value{};
        const std::size_t count = size_ - offset_ < sizeof value ? size_ - offset_ : sizeof value;
        std::memcpy(&value, data_ + offset_, count);
        offset_ += count;
        return value;
    }
    std::uint8_t Byte() { return Take<std::uint8_t>(); }
    // Mostly one of the interesting values, sometimes any value.
    template <typename T, std::size_t n>
    T Pick(const T (&choices)[n]) {
        const std::uint8_t which = Byte();
        if (which < 224) return choices[which % n];
        return Take<T>();
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};
