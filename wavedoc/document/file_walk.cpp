#include "wavedoc/document/file_walk.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "wavedoc/reading/chunk_walker.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {
namespace {

// One level being walked: the top level, or the sub-chunks of one list.
struct Level {
    ChunkWalker walk;
    std::string listId;    // empty at the top level
    std::string listType;  // the list's type, as stored
};

MapEntry ChunkEntry(const ChunkHeader& header, std::uint64_t riffEnd, int depth, const Level& parent) {
    MapEntry entry;
    entry.offset = header.headerOffset;
    entry.id = header.id;
    entry.size = header.storedSize;
    if (header.declaredSize != header.storedSize) entry.ds64Size = header.declaredSize;
    entry.present = header.presentSize;
    entry.pad = header.pad;
    entry.padValue = header.padValue;
    entry.last = header.endsRange;
    entry.afterRiffEnd = entry.offset >= riffEnd;
    entry.depth = depth;
    entry.parentId = parent.listId;
    entry.parentType = parent.listType;
    return entry;
}

// The stray entry a level ends with, if it ends in bytes that are no chunk.
std::optional<MapEntry> StrayEntry(const ByteSource& source, ByteOrder order, const ChunkWalker& walk,
                                   std::uint64_t riffEnd, int depth, const Level& parent) {
    if (walk.End() != WalkEnd::NotAChunk && walk.End() != WalkEnd::CutHeader) return std::nullopt;
    MapEntry entry;
    entry.offset = walk.Position();
    entry.length = walk.RangeEnd() - walk.Position();
    entry.listing = Listing::Bytes;
    entry.stray = walk.End() == WalkEnd::NotAChunk ? Stray::NotAChunk : Stray::CutHeader;
    if (entry.stray == Stray::NotAChunk && entry.length >= layout::kChunkHeaderSize) {
        const std::string header = source.Read(entry.offset, layout::kChunkHeaderSize);
        const std::uint64_t size = NumberIn(BytesOf(header, layout::header::kSize), order);
        const std::uint64_t whole = layout::kChunkHeaderSize + size;
        if (header.size() == layout::kChunkHeaderSize &&
            (whole == entry.length || (size % 2 == 1 && whole + 1 == entry.length))) {
            entry.strayId = BytesOf(header, layout::header::kId);
        }
    }
    entry.afterRiffEnd = entry.offset >= riffEnd;
    entry.depth = depth;
    entry.parentId = parent.listId;
    entry.parentType = parent.listType;
    return entry;
}

}  // namespace

std::uint64_t RiffEnd(std::uint64_t riffSize) {
    if (riffSize == 0 || riffSize == layout::kStreamingSize) return UINT64_MAX;
    return riffSize > UINT64_MAX - layout::kChunkHeaderSize ? UINT64_MAX
                                                            : layout::kChunkHeaderSize + riffSize;
}

void WalkFile(const ByteSource& source, std::uint64_t riffSize, const Ds64Sizes* ds64, ByteOrder order,
              const std::function<void(MapEntry&)>& visit) {
    const std::uint64_t riffEnd = RiffEnd(riffSize);
    std::vector<Level> levels;
    levels.reserve(kMostListDepth + 1);
    levels.push_back({ChunkWalker(source, layout::kRiffHeaderSize, source.Length(), riffEnd), {}, {}});
    levels.back().walk.UseDs64(ds64);
    levels.back().walk.UseByteOrder(order);
    while (!levels.empty()) {
        const int depth = static_cast<int>(levels.size()) - 1;
        Level& level = levels.back();
        const std::optional<ChunkHeader> header = level.walk.Next();
        if (!header) {
            if (std::optional<MapEntry> stray =
                    StrayEntry(source, order, level.walk, riffEnd, depth, level)) {
                visit(*stray);
            }
            levels.pop_back();
            continue;
        }
        MapEntry entry = ChunkEntry(*header, riffEnd, depth, level);
        const bool list = layout::IsListId(header->id);
        if (list) {
            entry.listType =
                source.Read(header->dataOffset, std::min(layout::kListTypeSize, header->presentSize));
            entry.notWalked = depth + 1 >= kMostListDepth && header->presentSize > layout::kListTypeSize;
        }
        visit(entry);
        if (list && !entry.notWalked && header->presentSize > layout::kListTypeSize) {
            const std::uint64_t begin = header->dataOffset + layout::kListTypeSize;
            levels.push_back({ChunkWalker(source, begin, header->dataOffset + header->presentSize),
                              header->id, entry.listType});
            levels.back().walk.UseByteOrder(order);
        }
    }
}

}  // namespace wavedoc
