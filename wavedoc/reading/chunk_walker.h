#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/ds64_sizes.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// Whether an odd-sized chunk is followed by its pad byte.
enum class PadByte {
    None,     // the content is even-sized, or runs to or past the end
    Present,  // the byte after the content is the pad byte
    Missing,  // the writer left it out: the next header follows the content directly
};

// One chunk header found by ChunkWalker and where its content lies.
struct ChunkHeader {
    std::string id;              // four characters, as stored
    std::uint32_t storedSize;    // the size field as stored
    std::uint64_t headerOffset;  // where the 8-byte header starts
    std::uint64_t dataOffset;    // where the content starts
    std::uint64_t presentSize;   // the content bytes the walk's range really holds (at most declaredSize)
    PadByte pad;
    std::optional<unsigned char> padValue;  // the pad byte, when present
    bool endsRange = false;                 // nothing follows it in the walk's range
    // The size the chunk declares: storedSize, or in a 64-bit file the size
    // ds64 gives for a size field of 0xFFFFFFFF.
    std::uint64_t declaredSize = 0;
    ByteOrder order = ByteOrder::Little;  // of its size field and its fields: the file's
};

// Why a walk ended.
enum class WalkEnd {
    Running,    // not yet
    AtEnd,      // the chunks reach the end of the range
    NotAChunk,  // bytes from Position() on are not a chunk header
    CutHeader,  // fewer than 8 bytes are left at Position(): a header cut off
};

// Walks the chunks that follow one another between begin and end of a source:
// the top-level chunks of a file or the sub-chunks of a list. Tolerant: the end
// decides, not a size field, and a chunk whose size runs past the end is
// reported with the bytes present. A header is plausible when its id is four
// printable characters.
//
// The pad byte after odd-sized content: when only one of the two readings
// (after the pad byte, or directly after the content) starts a plausible
// header, that one is taken. When both do, each reading is followed a few
// headers further; the one that runs exactly to the end wins over one that
// runs past it, which wins over one that meets bytes that are no header, then
// the one that goes on longer; a tie keeps the pad byte, as the format asks.
// So files from writers that pad and from writers that forget to both parse,
// whatever the next chunk's size field holds. A reading that ends exactly
// where the RIFF size says the file ends (statedEnd) counts as running to
// the end too, so stray bytes after the RIFF chunk do not decide it.
class ChunkWalker {
public:
    ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end);
    ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end, std::uint64_t statedEnd);

    // Takes the sizes of chunks whose size field holds 0xFFFFFFFF from ds64,
    // as readers of the 64-bit forms do at the top level.
    void UseDs64(const Ds64Sizes* sizes) { ds64_ = sizes; }
    // Reads size fields in this order: big-endian in a RIFX file.
    void UseByteOrder(ByteOrder order) { order_ = order; }

    // The next chunk, or nothing at the end of the walk.
    std::optional<ChunkHeader> Next();

    WalkEnd End() const { return end_reason_; }
    // Where the next header is looked for; once the walk ended at NotAChunk or
    // CutHeader, where the unlisted bytes start.
    std::uint64_t Position() const { return position_; }
    std::uint64_t RangeEnd() const { return end_; }

private:
    struct Chain;
    bool StartsPlausibleHeader(std::uint64_t offset);
    Chain Follow(std::uint64_t offset, int depth);
    // Where the next header starts after chunk, and whether its pad byte was taken.
    std::uint64_t FollowingHeader(ChunkHeader& chunk);
    // length bytes at offset (inside the walk), read through a window so that a
    // list of many small chunks does not cost one read per header. A read that
    // fails leaves the window as it was.
    std::string_view Peek(std::uint64_t offset, std::uint64_t length);
    // The size a header declares (see ChunkHeader::declaredSize).
    std::uint64_t DeclaredSize(std::string_view header) const;

    const ByteSource* source_;  // a pointer, so that a walk can be copied and resumed
    std::uint64_t position_;
    std::uint64_t end_;
    std::uint64_t statedEnd_;
    WalkEnd end_reason_ = WalkEnd::Running;
    std::string window_;
    std::uint64_t windowStart_ = 0;
    const Ds64Sizes* ds64_ = nullptr;
    ByteOrder order_ = ByteOrder::Little;
};

}  // namespace wavedoc
