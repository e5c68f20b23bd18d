#include "wavedoc/chunks/list_chunk.h"

#include <algorithm>

#include "wavedoc/reading/chunk_fields.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {
namespace {

constexpr std::uint64_t kLablFixedBytes = layout::kLabelFixedBytes;
constexpr std::uint64_t kLtxtFixedBytes = layout::kLabelledTextFixedBytes;
// How many of a long text's last bytes are read to find its closing zeros.
constexpr std::uint64_t kTextTailBytes = 16;

}  // namespace

SubChunkEntry::SubChunkEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                             std::uint64_t fixedBytes, OwnerName owner)
    : ChunkBase(header),
      fields_(source->Read(header.dataOffset, std::min(fixedBytes, header.presentSize)), std::move(owner),
              header.order),
      source_(source),
      textOffset_(header.dataOffset + fixedBytes),
      textPresent_(header.presentSize > fixedBytes ? header.presentSize - fixedBytes : 0) {}

SubChunkEntry::StoredText SubChunkEntry::ReadText(std::uint64_t limit) const {
    if (textPresent_ == 0) return {};
    const std::uint64_t read = limit + kTextReadAhead;
    StoredText text{source_->Read(textOffset_, std::min(textPresent_, read)), textPresent_};
    if (const std::size_t zero = text.shown.find('\0'); zero != std::string::npos) {
        text.shown.resize(zero);
        text.length = zero;
    } else if (textPresent_ > read) {
        // The closing zero bytes are no part of the text: writers that pad
        // to an even size leave two. A zero byte further in is not looked
        // for, since that would read the whole text to show its start.
        const std::uint64_t tailLength = std::min<std::uint64_t>(textPresent_ - read, kTextTailBytes);
        const std::string tail = source_->Read(textOffset_ + textPresent_ - tailLength, tailLength);
        const std::size_t kept = tail.find_last_not_of('\0');
        text.length -= tail.size() - (kept == std::string::npos ? 0 : kept + 1);
    }
    return text;
}

std::string SubChunkEntry::Text() const { return ReadText().shown; }

LablEntry::LablEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                     OwnerName owner)
    : SubChunkEntry(header, source, kLablFixedBytes, std::move(owner)) {}

std::int32_t LablEntry::CuePointId() const { return Fields().Bits32(layout::adtl::kName); }

LtxtEntry::LtxtEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                     OwnerName owner)
    : SubChunkEntry(header, source, kLtxtFixedBytes, std::move(owner)) {}

std::int32_t LtxtEntry::CuePointId() const { return Fields().Bits32(layout::adtl::kName); }
std::int32_t LtxtEntry::SampleLength() const { return Fields().Bits32(layout::adtl::kSampleLength); }
std::string LtxtEntry::PurposeId() const { return Fields().FourCC(layout::adtl::kPurpose); }
std::int32_t LtxtEntry::Country() const { return Fields().Unsigned16(layout::adtl::kCountry); }
std::int32_t LtxtEntry::Language() const { return Fields().Unsigned16(layout::adtl::kLanguage); }
std::int32_t LtxtEntry::Dialect() const { return Fields().Unsigned16(layout::adtl::kDialect); }
std::int32_t LtxtEntry::CodePage() const { return Fields().Unsigned16(layout::adtl::kCodePage); }

void ListEntryPlaces::Add(std::string_view id, const SubChunkPlace& place) {
    if (id == layout::kLabelId) labels.Add(place);
    if (id == layout::kNoteId) notes.Add(place);
    if (id == layout::kLabelledTextId) labelledTexts.Add(place);
}

ListChunk::ListChunk(const ChunkSpan& span, ListEntryPlaces places)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {
    const std::string& id = span.header.id;
    const std::uint64_t end = span.header.dataOffset + span.header.presentSize;
    const ByteOrder order = span.header.order;
    labels_ = LablEntryCollection(span.source, std::move(places.labels), end, id, "label", "labels", order);
    notes_ = NoteEntryCollection(span.source, std::move(places.notes), end, id, "note", "notes", order);
    labeledTexts_ = LtxtEntryCollection(span.source, std::move(places.labelledTexts), end, id,
                                        "labelled text", "labelled texts", order);
}

std::string ListChunk::TypeId() const { return fields_.FourCC(layout::kListType); }

}  // namespace wavedoc
