// A plain walk over the file's chunks and the sub-chunks of its lists, made
// to build the check on; the full structure map replaces it.
#include "structure_map.h"

#include <array>

#include "chunk_types.h"
#include "wave_document.h"

namespace wavedoc {
namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint64_t kHeaderSize = 8;

MapEntry EntryOf(const ChunkHeader& header, const ByteSource& source) {
    MapEntry entry;
    entry.offset = header.headerOffset;
    entry.id = header.id;
    entry.size = header.storedSize;
    entry.present = header.presentSize;
    entry.pad = header.pad;
    if (header.pad == PadByte::Present) {
        const std::string pad = source.Read(header.dataOffset + header.storedSize, 1);
        if (!pad.empty()) entry.padValue = static_cast<unsigned char>(pad[0]);
    }
    return entry;
}

// Appends the stray bytes a walk ended at, if any.
void AddStray(const ChunkWalker& walk, std::vector<MapEntry>& level) {
    if (walk.End() != WalkEnd::NotAChunk && walk.End() != WalkEnd::CutHeader) return;
    MapEntry entry;
    entry.offset = walk.EndOffset();
    entry.length = walk.RangeEnd() - walk.EndOffset();
    entry.listing = Listing::Bytes;
    entry.stray = walk.End() == WalkEnd::NotAChunk ? Stray::NotAChunk : Stray::CutHeader;
    level.push_back(std::move(entry));
}

// The sub-chunks of a list, at most kMostMapped of them.
void MapChildren(const ByteSource& source, const ChunkHeader& list, bool shown, MapEntry& entry) {
    if (list.presentSize < 4) return;
    entry.listType = source.Read(list.dataOffset, 4);
    ChunkWalker walk(source, list.dataOffset + 4, list.dataOffset + list.presentSize);
    while (const std::optional<ChunkHeader> header = walk.Next()) {
        if (entry.children.size() == kMostMapped) {
            MapEntry rest;
            rest.offset = header->headerOffset;
            rest.length = walk.RangeEnd() - header->headerOffset;
            rest.listing = Listing::Bytes;
            rest.stray = Stray::Unmapped;
            entry.children.push_back(std::move(rest));
            return;
        }
        MapEntry child = EntryOf(*header, source);
        const bool isEntry = header->id == "labl" || header->id == "note" || header->id == "ltxt";
        child.listing = !shown ? Listing::OtherList : isEntry ? Listing::Listed : Listing::NotAnEntry;
        entry.children.push_back(std::move(child));
    }
    AddStray(walk, entry.children);
}

}  // namespace

std::uint64_t MapEntry::Covered() const {
    if (!IsChunk()) return length;
    return kHeaderSize + present + (pad == PadByte::Present ? 1 : 0);
}

std::string MapEntry::Why() const {
    switch (listing) {
        case Listing::Listed:
            return {};
        case Listing::UnknownType:
            return "a chunk type this program does not show";
        case Listing::LaterDuplicate:
            return "a later chunk of a type already shown";
        case Listing::OtherList:
            return "a list other than the one shown";
        case Listing::NotAnEntry:
            return "no label, note or labelled text";
        case Listing::Bytes:
            break;
    }
    return "bytes that are no chunk";
}

std::vector<MapEntry> MapStructure(const WaveDocument& document) {
    std::vector<MapEntry> map;
    const ByteSource* source = document.Source();
    if (source == nullptr) return map;
    const ReadingSession session(source);
    const std::uint64_t riffEnd = kHeaderSize + static_cast<std::uint32_t>(document.RiffHeader().Size());
    std::array<bool, kChunkTypes.size()> seen{};
    ChunkWalker walk(*source, kRiffHeaderSize, source->Length());
    while (const std::optional<ChunkHeader> header = walk.Next()) {
        if (map.size() == kMostMapped) {
            MapEntry rest;
            rest.offset = header->headerOffset;
            rest.length = walk.RangeEnd() - header->headerOffset;
            rest.listing = Listing::Bytes;
            rest.stray = Stray::Unmapped;
            map.push_back(std::move(rest));
            return map;
        }
        MapEntry entry = EntryOf(*header, *source);
        entry.afterRiffEnd = header->headerOffset >= riffEnd;
        const ChunkType* type = FindChunkType(header->id);
        if (type == nullptr) {
            entry.listing = Listing::UnknownType;
        } else if (type->kind == ChunkKind::List) {
            const bool shown = header->headerOffset == document.List().Offset();
            entry.listing = shown ? Listing::Listed : Listing::OtherList;
            MapChildren(*source, *header, shown, entry);
        } else {
            bool& earlier = seen[static_cast<std::size_t>(type->kind)];
            entry.listing = earlier ? Listing::LaterDuplicate : Listing::Listed;
            earlier = true;
        }
        map.push_back(std::move(entry));
    }
    AddStray(walk, map);
    if (!map.empty() && !map.back().IsChunk()) map.back().afterRiffEnd = map.back().offset >= riffEnd;
    return map;
}

}  // namespace wavedoc
