#include "list_chunk.h"

#include <algorithm>

#include "chunk_walker.h"
#include "wave_error.h"

namespace wavedoc {
namespace {

// Sub-chunks start after the four-character list type.
constexpr std::uint64_t kFirstSubChunk = 4;
// dwName; an ltxt adds dwSampleLength, dwPurpose and four 16-bit fields.
constexpr std::uint64_t kLablFixedBytes = 4;
constexpr std::uint64_t kLtxtFixedBytes = 20;

}  // namespace

SubChunkEntry::SubChunkEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                             std::uint64_t fixedBytes, OwnerName owner)
    : ChunkBase(header),
      fields_(source->Read(header.dataOffset, std::min(fixedBytes, header.presentSize)), std::move(owner)),
      source_(source),
      textOffset_(header.dataOffset + fixedBytes),
      textPresent_(header.presentSize > fixedBytes ? header.presentSize - fixedBytes : 0) {}

SubChunkEntry::StoredText SubChunkEntry::ReadText() const {
    if (textPresent_ == 0) return {};
    StoredText text{source_->Read(textOffset_, std::min(textPresent_, kTextReadLimit)), textPresent_};
    if (const std::size_t zero = text.shown.find('\0'); zero != std::string::npos) {
        text.shown.resize(zero);
        text.length = zero;
    } else if (textPresent_ > kTextReadLimit && source_->Read(textOffset_ + textPresent_ - 1, 1)[0] == '\0') {
        --text.length;  // the closing zero byte is no part of the text
    }
    return text;
}

std::string SubChunkEntry::Text() const { return ReadText().shown; }
std::uint64_t SubChunkEntry::TextLength() const { return ReadText().length; }

LablEntry::LablEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                     OwnerName owner)
    : SubChunkEntry(header, source, kLablFixedBytes, std::move(owner)) {}

std::int32_t LablEntry::CuePointId() const { return Fields().Bits32(0, "dwName"); }

LtxtEntry::LtxtEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                     OwnerName owner)
    : SubChunkEntry(header, source, kLtxtFixedBytes, std::move(owner)) {}

std::int32_t LtxtEntry::CuePointId() const { return Fields().Bits32(0, "dwName"); }
std::int32_t LtxtEntry::SampleLength() const { return Fields().Bits32(4, "dwSampleLength"); }
std::string LtxtEntry::PurposeId() const { return Fields().FourCC(8, "dwPurpose"); }
std::int32_t LtxtEntry::Country() const { return Fields().Unsigned16(12, "wCountry"); }
std::int32_t LtxtEntry::Language() const { return Fields().Unsigned16(14, "wLanguage"); }
std::int32_t LtxtEntry::Dialect() const { return Fields().Unsigned16(16, "wDialect"); }
std::int32_t LtxtEntry::CodePage() const { return Fields().Unsigned16(18, "wCodePage"); }

SubChunkFinder::SubChunkFinder(std::shared_ptr<const ByteSource> source, std::uint64_t begin,
                               std::uint64_t end, std::string id)
    : source_(std::move(source)), begin_(begin), end_(end), id_(std::move(id)) {}

std::optional<ChunkHeader> SubChunkFinder::Find(std::uint64_t index) const {
    if (!walk_ || index < found_ || (index == found_ && !last_)) {
        walk_.emplace(*source_, begin_, end_);
        found_ = 0;
        last_.reset();
    }
    while (found_ < index) {
        std::optional<ChunkHeader> header = walk_->Next();
        if (!header) return std::nullopt;
        if (header->id == id_) {
            ++found_;
            last_ = std::move(header);
        }
    }
    return last_;
}

ListChunk::ListChunk(const ChunkSpan& span, LoadNoteWriter& loadNotes)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}) {
    const std::string& id = span.header.id;
    const std::uint64_t begin = span.header.dataOffset + kFirstSubChunk;
    const std::uint64_t end = span.header.dataOffset + span.header.presentSize;
    std::uint64_t labels = 0;
    std::uint64_t notes = 0;
    std::uint64_t labeledTexts = 0;

    // The sub-chunks are walked by the same rules as the file's chunks.
    if (span.header.presentSize > kFirstSubChunk) {
        ChunkWalker walk(*span.source, begin, end);
        while (const std::optional<ChunkHeader> header = walk.Next()) {
            if (header->presentSize < header->storedSize) loadNotes.RunsPastEnd(*header, id);
            labels += header->id == "labl";
            notes += header->id == "note";
            labeledTexts += header->id == "ltxt";
        }
        loadNotes.WalkEnded(walk, id);
    }
    const auto finder = [&](const char* subId) { return SubChunkFinder(span.source, begin, end, subId); };
    labels_ = LablEntryCollection(finder("labl"), labels, id, "label", "labels");
    notes_ = NoteEntryCollection(finder("note"), notes, id, "note", "notes");
    labeledTexts_ = LtxtEntryCollection(finder("ltxt"), labeledTexts, id, "labelled text", "labelled texts");
}

std::string ListChunk::TypeId() const { return fields_.FourCC(0, "list type"); }

}  // namespace wavedoc
