#pragma once

#include <algorithm>
#include <cstdint>

// Where offsets and lengths inside a source are compared with its end, without
// ever adding them: an offset near the top of the range cannot wrap around.
// Everything is 64-bit, so an offset inside a file plus a 32-bit size field
// cannot wrap either.
namespace wavedoc::offsets {

// Whether [offset, offset + length) lies wholly before end.
inline bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t end) {
    return offset <= end && length <= end - offset;
}

// How many of the `length` bytes that start at offset lie before end.
inline std::uint64_t BytesBefore(std::uint64_t offset, std::uint64_t length, std::uint64_t end) {
    return offset >= end ? 0 : std::min(length, end - offset);
}

}  // namespace wavedoc::offsets
