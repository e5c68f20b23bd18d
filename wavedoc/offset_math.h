#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

// The one place where offsets and lengths inside a source are added and
// compared. Everything is 64-bit and every sum is checked, so a size field near
// 0xFFFFFFFF or a source near the top of the range can never wrap around.
namespace wavedoc::offsets {

// a + b, or nothing when the sum does not fit in 64 bits.
inline std::optional<std::uint64_t> CheckedAdd(std::uint64_t a, std::uint64_t b) {
    if (b > UINT64_MAX - a) return std::nullopt;
    return a + b;
}

// Whether [offset, offset + length) lies wholly before end.
inline bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t end) {
    return offset <= end && length <= end - offset;
}

// How many of the `length` bytes that start at offset lie before end.
inline std::uint64_t BytesBefore(std::uint64_t offset, std::uint64_t length, std::uint64_t end) {
    return offset >= end ? 0 : std::min(length, end - offset);
}

}  // namespace wavedoc::offsets
