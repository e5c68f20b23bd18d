#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "byte_source.h"

namespace wavedoc {

// One chunk header found by ChunkWalker and where its content lies.
struct ChunkHeader {
    std::string id;             // four characters, as stored
    std::uint32_t storedSize;   // the size field as stored
    std::uint64_t dataOffset;   // where the content starts
    std::uint64_t presentSize;  // the content bytes the source really holds (at most storedSize)
};

// Walks the chunks that follow one another between begin and end of a source:
// the top-level chunks of a file or the sub-chunks of a list held in memory.
// Tolerant: the end decides, not a size field; the pad byte after odd content
// is skipped, unless it is missing and the next header follows directly; the
// walk stops at a header that is not four printable characters or when fewer
// than 8 bytes are left. A chunk whose stored size runs past the end is
// reported with the bytes present.
class ChunkWalker {
public:
    ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end);

    // The next chunk, or nothing at the end of the walk.
    std::optional<ChunkHeader> Next();

    // Where the walk met bytes that do not start a chunk header, when it ended
    // there rather than at the end.
    std::optional<std::uint64_t> StoppedAt() const { return stoppedAt_; }

private:
    bool StartsPlausibleHeader(std::uint64_t offset);
    std::optional<std::uint64_t> FollowingHeader(const ChunkHeader& chunk);
    // length bytes at offset (inside the walk), read through a window so that a
    // file of many small chunks does not cost one read per header.
    std::string Peek(std::uint64_t offset, std::uint64_t length);

    const ByteSource& source_;
    std::optional<std::uint64_t> position_;
    std::optional<std::uint64_t> stoppedAt_;
    std::uint64_t end_;
    std::string window_;
    std::uint64_t windowStart_ = 0;
};

// A chunk's content as far as the source holds it.
std::string ReadContent(const ByteSource& source, const ChunkHeader& chunk);

}  // namespace wavedoc
