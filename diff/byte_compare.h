#pragma once

#include <cstdint>
#include <optional>

namespace wavedoc {
class ByteSource;
}

namespace diff {

// Compares `length` bytes of A from offsetA with as many of B from offsetB,
// read in pieces of about `pieceBytes` (rounded down to whole `unit`s, at
// least one) from each, so that memory does not grow with the length.
// With `swapWidth` above 1, B's samples of that many bytes are compared with
// their bytes reversed: the same samples in the other byte order. Returns the
// offset from the start of the first byte that differs, or nothing. A read
// that fails raises as the source does (WaveDocError, FileChangedError).
std::optional<std::uint64_t> FirstDifference(const wavedoc::ByteSource& a, std::uint64_t offsetA,
                                             const wavedoc::ByteSource& b, std::uint64_t offsetB,
                                             std::uint64_t length, std::uint64_t unit = 1,
                                             unsigned swapWidth = 1);

// How much each side reads at once.
inline constexpr std::uint64_t kPieceBytes = 1 << 20;

}  // namespace diff
