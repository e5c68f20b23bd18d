#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "rows/row_sink.h"

namespace wavedoc {
class ByteSource;
}

namespace chunkinfo {

// A run of bytes of the file that a row shows as one value: a text, a
// coding history, an item, the rest of a chunk. What is read of it and the
// range its row gives both count from the run's start and stop at its end,
// so the two cannot disagree.
class ByteRun {
public:
    ByteRun() = default;
    // `length` bytes at `start` of the file, as far as the file holds them.
    ByteRun(const wavedoc::ByteSource* source, std::uint64_t start, std::uint64_t length)
        : source_(source), start_(start), length_(length) {}

    std::uint64_t Length() const { return length_; }
    // Where the run lies in the file.
    rows::ByteRange At() const { return rows::ByteRange{start_, length_}; }

    // The part of at most `length` bytes from `offset` on: shorter where the
    // run ends, empty (and starting at `offset` still) past its end.
    ByteRun Part(std::uint64_t offset,
                 std::uint64_t length = std::numeric_limits<std::uint64_t>::max()) const;
    // At most `count` bytes from `offset` on: fewer where the run ends, none past it.
    std::string Read(std::uint64_t offset, std::uint64_t count) const;

private:
    const wavedoc::ByteSource* source_ = nullptr;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace chunkinfo
