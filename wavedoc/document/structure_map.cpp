#include "wavedoc/document/structure_map.h"

#include "wavedoc/document/map_builder.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {

bool MapEntry::IsList() const { return IsChunk() && layout::IsListId(id); }

std::uint64_t MapEntry::Covered() const {
    if (!IsChunk()) return length;
    return layout::kChunkHeaderSize + present + (pad == PadByte::Present ? 1 : 0);
}

std::string MapEntry::Why() const {
    if (notWalked) return "Lists nested this deep are not walked: what it holds is not shown one by one.";
    switch (listing) {
        case Listing::Listed:
            return {};
        case Listing::UnknownType:
            return "The chunk list does not show this chunk type.";
        case Listing::LaterDuplicate:
            return "A later chunk of a type already listed: the first one is shown.";
        case Listing::OtherList:
            if (IsList() && depth == 0) {
                return "Not the list shown: the first associated data list (adtl) is shown, else the first "
                       "list.";
            }
            return "Inside a list that is not shown.";
        case Listing::NotAnEntry:
            // An associated data list holds labels, notes and labelled texts;
            // a list of another type, such as INFO, holds items of its own.
            if (parentType == layout::kAssociatedDataType)
                return "Not a label, note or labelled text: the list shows those.";
            return "An item of a " + parentId + " (" + parentType +
                   ") list, which the chunk list does not show.";
        case Listing::Bytes:
            break;
    }
    switch (stray) {
        case Stray::NotAChunk:
            return "These bytes do not start a chunk.";
        case Stray::CutHeader:
            return "Too few bytes for a chunk header (8 bytes): a header cut off.";
        case Stray::Unmapped:
            return "More entries follow, not mapped one by one.";
        case Stray::None:
            break;
    }
    return {};
}

MapBuilder::MapBuilder(std::uint64_t fileLength) : fileLength_(fileLength) {
    // The map's whole bound at once: a large map then never moves its
    // entries, and the pages a small one does not reach are never touched.
    map_.entries.reserve(kMostMapped + kMostListDepth);
}

std::uint64_t MapBuilder::LevelEnd(std::size_t depth) const {
    return depth == 0 ? fileLength_ : open_[depth - 1].contentEnd;
}

void MapBuilder::Add(const MapEntry& entry) {
    open_.resize(std::min<std::size_t>(open_.size(), static_cast<std::size_t>(entry.depth)));
    if (map_.full) {
        CountLeftOut(entry.offset);
        return;
    }
    if (map_.entries.size() >= kMostMapped) {
        CloseLevels(entry);
        CountLeftOut(entry.offset);
        return;
    }
    map_.entries.push_back(entry);
    if (entry.IsList() && !entry.notWalked) {
        const std::uint64_t contentEnd = entry.offset + layout::kChunkHeaderSize + entry.present;
        open_.push_back({contentEnd, entry.offset + entry.Covered()});
    }
}

// The map is full at entry: the rest of its level, and the rest of each
// level around it, become one Unmapped entry each, in file order.
void MapBuilder::CloseLevels(const MapEntry& entry) {
    map_.full = true;
    firstUnmapped_ = map_.entries.size();
    std::uint64_t from = entry.offset;
    for (std::size_t depth = static_cast<std::size_t>(entry.depth) + 1; depth-- > 0;) {
        const std::uint64_t end = LevelEnd(depth);
        if (end > from) {
            MapEntry rest;
            rest.offset = from;
            rest.length = end - from;
            rest.listing = Listing::Bytes;
            rest.stray = Stray::Unmapped;
            rest.afterRiffEnd = entry.afterRiffEnd;
            rest.depth = static_cast<int>(depth);
            if (depth > 0) {
                const MapEntry& list = map_.entries[ListIndexAt(depth - 1)];
                rest.parentId = list.id;
                rest.parentType = list.listType;
            }
            map_.entries.push_back(std::move(rest));
        }
        if (depth > 0) from = open_[depth - 1].coveredEnd;
    }
}

std::size_t MapBuilder::ListIndexAt(std::size_t depth) const {
    // The open list at a depth is the last list entry of that depth mapped.
    for (std::size_t i = firstUnmapped_; i-- > 0;) {
        if (map_.entries[i].depth == static_cast<int>(depth) && map_.entries[i].IsList()) return i;
    }
    return 0;
}

void MapBuilder::CountLeftOut(std::uint64_t offset) {
    // The Unmapped entries lie in file order; left-out entries come in file
    // order too, so the one that holds offset never lies before the last one.
    while (nextUnmapped_ + 1 < map_.entries.size() - firstUnmapped_ &&
           offset >= map_.entries[firstUnmapped_ + nextUnmapped_ + 1].offset) {
        ++nextUnmapped_;
    }
    if (firstUnmapped_ < map_.entries.size()) ++map_.entries[firstUnmapped_ + nextUnmapped_].leftOut;
}

StructureMap MapBuilder::Finish() && { return std::move(map_); }

}  // namespace wavedoc
