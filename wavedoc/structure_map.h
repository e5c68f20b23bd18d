#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chunk_walker.h"

namespace wavedoc {

class WaveDocument;

// Whether the window lists an entry of the map, and why not.
enum class Listing {
    Listed,          // the chunk the window lists (or, inside the shown list, an entry it shows)
    UnknownType,     // a chunk type the document does not hold
    LaterDuplicate,  // a later chunk of a type already listed
    OtherList,       // a list that is not the one shown, or a sub-chunk of such a list
    NotAnEntry,      // inside the shown list: a sub-chunk that is no label, note or labelled text
    Bytes,           // bytes that are no chunk (see Stray)
};

// What unlisted bytes are.
enum class Stray {
    None,       // the entry is a chunk
    NotAChunk,  // bytes that do not start a chunk header
    CutHeader,  // fewer than 8 bytes: a header cut off
    Unmapped,   // the rest of a very long run of chunks, not mapped one by one
};

// One entry of the structure map: a chunk or sub-chunk as the walk found it,
// or a run of bytes that is none. Together the entries of a level, with their
// headers, content, pad bytes and children, cover every byte of the file from
// offset 12 (after the RIFF header) to its end.
struct MapEntry {
    std::uint64_t offset = 0;   // where the header (or the stray bytes) start
    std::string id;             // the chunk id as stored; empty for stray bytes
    std::uint32_t size = 0;     // the size field as stored
    std::uint64_t present = 0;  // content bytes the file (or the list) really holds
    PadByte pad = PadByte::None;
    std::optional<unsigned char> padValue;  // the pad byte, when present
    std::uint64_t length = 0;               // stray bytes: how many
    Listing listing = Listing::Listed;
    Stray stray = Stray::None;
    bool afterRiffEnd = false;       // starts at or after the end the RIFF size gives
    std::string listType;            // a list's type (the four bytes after its header), as stored
    std::vector<MapEntry> children;  // a list's sub-chunks

    bool IsChunk() const { return stray == Stray::None; }
    // Bytes the entry covers: header, content present, pad byte; or the stray bytes.
    std::uint64_t Covered() const;
    // Plain words for why the window does not list it; empty when it does.
    std::string Why() const;
};

// The whole file, in file order: the top-level chunks from offset 12 on, each
// list with its sub-chunks. It walks the chunk headers again, by the same rules
// as the load, and reads only headers, list types and pad bytes; a level of more
// than kMostMapped entries ends in one Unmapped entry for the rest. Raises
// FileChangedError when the file is no longer the one analysed.
std::vector<MapEntry> MapStructure(const WaveDocument& document);

inline constexpr std::size_t kMostMapped = 4096;

}  // namespace wavedoc
