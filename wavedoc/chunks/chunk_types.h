#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace wavedoc {

// The chunk types a document holds, in the order of the chunk list.
enum class ChunkKind : std::uint8_t { Riff, Fmt, Fact, Wavl, Slnt, Cue, Plst, List, Smpl, Inst, Pad, Data };

struct ChunkType {
    ChunkKind kind;
    std::string_view id;       // as stored
    std::string_view otherId;  // a second spelling of the id, or empty
    // How many content bytes the load reads for the fixed fields; the rest is
    // read when it is shown, or never.
    std::uint64_t headBytes;
};

// The one table of chunk types: the load, the chunk list, the detail view and
// the text output all read it. The RIFF header is not a chunk the walk meets;
// its row stands first because the list shows it first.
inline constexpr std::array<ChunkType, 12> kChunkTypes = {{
    {ChunkKind::Riff, "RIFF", "", 4},
    {ChunkKind::Fmt, "fmt ", "", 40},  // up to the extensible format's sub-format GUID
    {ChunkKind::Fact, "fact", "", 4},
    {ChunkKind::Wavl, "wavl", "", 0},
    {ChunkKind::Slnt, "slnt", "", 4},
    {ChunkKind::Cue, "cue ", "", 4},  // the count; the records are read when shown
    {ChunkKind::Plst, "plst", "", 4},
    {ChunkKind::List, "LIST", "list", 4},  // the list type; the sub-chunks are read when shown
    {ChunkKind::Smpl, "smpl", "", 36},
    {ChunkKind::Inst, "inst", "", 7},
    {ChunkKind::Pad, "PAD ", "", 1},  // the pad byte shown
    {ChunkKind::Data, "data", "", 0},
}};

// The type of a chunk id met in the file, or null for one the document does
// not hold (the RIFF header's id included).
constexpr const ChunkType* FindChunkType(std::string_view id) {
    for (const ChunkType& type : kChunkTypes) {
        if (type.kind != ChunkKind::Riff &&
            (type.id == id || (!type.otherId.empty() && type.otherId == id))) {
            return &type;
        }
    }
    return nullptr;
}

// Tables that follow kChunkTypes are indexed by kind.
constexpr bool IndexedByKind() {
    for (std::size_t i = 0; i < kChunkTypes.size(); ++i) {
        if (static_cast<std::size_t>(kChunkTypes[i].kind) != i) return false;
    }
    return true;
}
static_assert(IndexedByKind(), "kChunkTypes lists the kinds in their order");

constexpr const ChunkType& TypeOf(ChunkKind kind) { return kChunkTypes[static_cast<std::size_t>(kind)]; }

}  // namespace wavedoc
