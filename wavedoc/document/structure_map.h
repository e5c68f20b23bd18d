#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wavedoc/reading/chunk_walker.h"

namespace wavedoc {

// Whether the window lists an entry of the map, and why not.
enum class Listing {
    Listed,          // the chunk the window lists (or, inside the shown list, an entry it shows)
    UnknownType,     // a chunk type the document does not hold
    LaterDuplicate,  // a later chunk of a type already listed
    OtherList,       // a list that is not the one shown, or a sub-chunk of such a list
    NotAnEntry,      // inside the shown list: a sub-chunk that is no label, note or labelled text,
                     // such as an item of an INFO list
    Bytes,           // bytes that are no chunk (see Stray)
};

// What unlisted bytes are.
enum class Stray {
    None,       // the entry is a chunk
    NotAChunk,  // bytes that do not start a chunk header
    CutHeader,  // fewer than 8 bytes: a header cut off
    Unmapped,   // the rest of a level, not mapped one by one (the map is full)
};

// One entry of the structure map: a chunk or sub-chunk as the walk found it,
// or a run of bytes that is none. The map lists them in file order, a list's
// sub-chunks right after it one level deeper; together the entries of a
// level, with their headers, content and pad bytes, cover every byte of that
// level: the top level from offset 12 (after the RIFF header) to the end of
// the file, a list's level from after its list type to its end.
struct MapEntry {
    std::uint64_t offset = 0;  // where the header (or the stray bytes) start
    std::string id;            // the chunk id as stored; empty for stray bytes
    std::uint32_t size = 0;    // the size field as stored
    // In a 64-bit file, the size ds64 gives for a size field of 0xFFFFFFFF.
    std::optional<std::uint64_t> ds64Size;
    std::uint64_t present = 0;  // content bytes the file (or the list) really holds
    PadByte pad = PadByte::None;
    std::optional<unsigned char> padValue;  // the pad byte, when present
    bool last = false;                      // nothing follows it in its level
    std::uint64_t length = 0;               // stray bytes: how many
    // Bytes that are no chunk only by their id: a header whose id is not
    // four printable characters and whose size runs exactly to the end of
    // the level (its pad byte included). That id, as stored; else empty.
    std::string strayId;
    std::uint64_t leftOut = 0;  // unmapped: how many entries they hold
    Listing listing = Listing::Listed;
    Stray stray = Stray::None;
    bool afterRiffEnd = false;  // starts at or after the end the RIFF size gives
    std::string listType;       // a list's type (the four bytes after its header), as stored
    bool notWalked = false;     // a list nested too deep: its sub-chunks are not walked
    int depth = 0;              // 0 at the top level, 1 inside a list, ...
    std::string parentId;       // the id of the list it lies in; empty at the top level
    std::string parentType;     // the type of the list it lies in, as stored

    bool IsChunk() const { return stray == Stray::None; }
    // The size the chunk declares: the ds64 size where there is one, else the size field.
    std::uint64_t DeclaredSize() const { return ds64Size.value_or(size); }
    bool IsList() const;
    // Bytes the entry covers: header, content present, pad byte; or the stray bytes.
    std::uint64_t Covered() const;
    // Plain words for why the window does not list it; empty when it does. An
    // item of the shown list names that list's id and type as stored.
    std::string Why() const;
};

// How deep lists are walked: a list at this depth (a list inside this many
// lists) is one entry whose sub-chunks are not walked; its bytes are still
// covered by it.
inline constexpr int kMostListDepth = 8;
// The most entries the map holds; past them each open level ends in one
// Unmapped entry for the rest of it.
inline constexpr std::size_t kMostMapped = 10000;

// The whole file in file order, bounded: every chunk and sub-chunk, lists
// nested up to kMostListDepth, at most kMostMapped entries (plus one Unmapped
// entry for each level still open when it filled).
struct StructureMap {
    std::vector<MapEntry> entries;
    bool full = false;  // entries were left out
};

}  // namespace wavedoc
