#include "structure_map.h"

#include <algorithm>

#include "chunk_types.h"
#include "wave_document.h"

namespace wavedoc {
namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kListTypeSize = 4;

// Whether the list chunk the document shows sits at this offset.
bool IsShownList(const WaveDocument& document, std::uint64_t offset) {
    return !document.List().Name().empty() && document.List().Offset() == offset;
}

Listing TopLevelListing(const WaveDocument& document, const ChunkHeader& header) {
    const ChunkType* type = FindChunkType(header.id);
    if (type == nullptr) return Listing::UnknownType;
    if (type->kind == ChunkKind::List) {
        return IsShownList(document, header.headerOffset) ? Listing::Listed : Listing::OtherList;
    }
    return document.Chunk(type->kind).Offset() == header.headerOffset ? Listing::Listed
                                                                      : Listing::LaterDuplicate;
}

Listing SubChunkListing(bool inShownList, const ChunkHeader& header) {
    if (!inShownList) return Listing::OtherList;
    return header.id == "labl" || header.id == "note" || header.id == "ltxt" ? Listing::Listed
                                                                             : Listing::NotAnEntry;
}

class Mapper {
public:
    Mapper(const WaveDocument& document, const ByteSource& source)
        : document_(document), source_(source), riffEnd_(RiffEnd(document)) {}

    // The chunks between begin and end: the top level of the file, or the
    // sub-chunks of a list (inShownList: of the list the document shows).
    std::vector<MapEntry> Level(std::uint64_t begin, std::uint64_t end, bool topLevel, bool inShownList) {
        std::vector<MapEntry> entries;
        ChunkWalker walk(source_, begin, end);
        while (entries.size() < kMostMapped) {
            const std::optional<ChunkHeader> header = walk.Next();
            if (!header) break;
            MapEntry entry = FromHeader(*header);
            entry.listing =
                topLevel ? TopLevelListing(document_, *header) : SubChunkListing(inShownList, *header);
            if (FindChunkType(header->id) != nullptr && FindChunkType(header->id)->kind == ChunkKind::List) {
                AddChildren(entry, *header, topLevel && IsShownList(document_, header->headerOffset));
            }
            entries.push_back(std::move(entry));
        }
        const std::uint64_t rest = walk.Position();
        if (entries.size() >= kMostMapped && rest < walk.RangeEnd()) {
            entries.push_back(Bytes(rest, walk.RangeEnd() - rest, Stray::Unmapped));
        } else if (walk.End() == WalkEnd::NotAChunk || walk.End() == WalkEnd::CutHeader) {
            entries.push_back(Bytes(rest, walk.RangeEnd() - rest,
                                    walk.End() == WalkEnd::NotAChunk ? Stray::NotAChunk : Stray::CutHeader));
        }
        return entries;
    }

private:
    // Where the RIFF size says the form ends; the end of everything when it
    // holds a streaming writer's placeholder.
    static std::uint64_t RiffEnd(const WaveDocument& document) {
        const auto size = static_cast<std::uint32_t>(document.RiffHeader().Size());
        return size == 0 || size == 0xFFFFFFFF ? UINT64_MAX : kHeaderSize + size;
    }

    MapEntry FromHeader(const ChunkHeader& header) {
        MapEntry entry;
        entry.offset = header.headerOffset;
        entry.id = header.id;
        entry.size = header.storedSize;
        entry.present = header.presentSize;
        entry.pad = header.pad;
        if (header.pad == PadByte::Present) {
            const std::string pad = source_.Read(header.dataOffset + header.presentSize, 1);
            if (!pad.empty()) entry.padValue = static_cast<unsigned char>(pad[0]);
        }
        entry.afterRiffEnd = entry.offset >= riffEnd_;
        return entry;
    }

    MapEntry Bytes(std::uint64_t offset, std::uint64_t length, Stray stray) const {
        MapEntry entry;
        entry.offset = offset;
        entry.length = length;
        entry.listing = Listing::Bytes;
        entry.stray = stray;
        entry.afterRiffEnd = offset >= riffEnd_;
        return entry;
    }

    void AddChildren(MapEntry& list, const ChunkHeader& header, bool shown) {
        list.listType = source_.Read(header.dataOffset, std::min(kListTypeSize, header.presentSize));
        if (header.presentSize <= kListTypeSize) return;
        list.children =
            Level(header.dataOffset + kListTypeSize, header.dataOffset + header.presentSize, false, shown);
    }

    const WaveDocument& document_;
    const ByteSource& source_;
    std::uint64_t riffEnd_;
};

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
            return "Ondulo does not decode this chunk type.";
        case Listing::LaterDuplicate:
            return "A later chunk of a type already listed: the first one is shown.";
        case Listing::OtherList:
            if (!listType.empty() || id == "LIST" || id == "list") {
                return "Not the list shown: the first associated data list (adtl) is shown, else the first "
                       "list.";
            }
            return "Inside a list that is not shown.";
        case Listing::NotAnEntry:
            return "Not a label, note or labelled text.";
        case Listing::Bytes:
            break;
    }
    switch (stray) {
        case Stray::NotAChunk:
            return "These bytes do not start a chunk.";
        case Stray::CutHeader:
            return "Too few bytes for a chunk header (8 bytes): a header cut off.";
        case Stray::Unmapped:
            return "More chunks follow, not mapped one by one.";
        case Stray::None:
            break;
    }
    return {};
}

std::vector<MapEntry> MapStructure(const WaveDocument& document) {
    const ByteSource* source = document.Source();
    if (source == nullptr) return {};
    const ReadingSession session(source);
    return Mapper(document, *source).Level(kRiffHeaderSize, source->Length(), true, false);
}

}  // namespace wavedoc
