#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/chunk_walker.h"
#include "wavedoc/reading/field_reader.h"
#include "wavedoc/reading/offset_math.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {

// The most bytes of one text shown unless a view asks for fewer; a few bytes
// more are read, to end a cut text on a whole character and to see a zero
// byte right after it.
inline constexpr std::uint64_t kTextReadLimit = 4096;
inline constexpr std::uint64_t kTextReadAhead = 3;

// One sub-chunk of a list: its stored size and id, its fixed fields, and its
// text, read from the file when asked for.
class SubChunkEntry : public ChunkBase {
public:
    // The text up to its first zero byte, at most kTextReadLimit +
    // kTextReadAhead bytes of it.
    std::string Text() const;

    // The text up to its first zero byte, at most limit + kTextReadAhead
    // bytes of it, and how many bytes the whole text holds: up
    // to its first zero byte when that lies within the bytes read, else the
    // text's bytes as stored without the zero bytes that close it (a zero
    // byte further in is not looked for: that would read the whole text). One
    // read, and one more of the last few bytes when the text is longer.
    struct StoredText {
        std::string shown;
        std::uint64_t length = 0;
    };
    StoredText ReadText(std::uint64_t limit = kTextReadLimit) const;
    // Where the text starts in the file, after the fixed fields.
    std::uint64_t TextOffset() const { return textOffset_; }

protected:
    SubChunkEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source,
                  std::uint64_t fixedBytes, OwnerName owner);
    const FieldReader& Fields() const { return fields_; }

private:
    FieldReader fields_;
    std::shared_ptr<const ByteSource> source_;
    std::uint64_t textOffset_ = 0;
    std::uint64_t textPresent_ = 0;
};

// A labl or note sub-chunk of an associated data list.
class LablEntry : public SubChunkEntry {
public:
    static constexpr std::string_view kId = layout::kLabelId;
    static constexpr std::uint64_t kFixedBytes = layout::kLabelFixedBytes;
    LablEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source, OwnerName owner);
    std::int32_t CuePointId() const;  // dwName
};

class NoteEntry : public LablEntry {
public:
    static constexpr std::string_view kId = layout::kNoteId;
    using LablEntry::LablEntry;
};

// An ltxt sub-chunk. The 16-bit fields are delivered as their unsigned value.
class LtxtEntry : public SubChunkEntry {
public:
    static constexpr std::string_view kId = layout::kLabelledTextId;
    static constexpr std::uint64_t kFixedBytes = layout::kLabelledTextFixedBytes;
    LtxtEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source, OwnerName owner);

    std::int32_t CodePage() const;      // wCodePage
    std::int32_t Dialect() const;       // wDialect
    std::int32_t Language() const;      // wLanguage
    std::int32_t Country() const;       // wCountry
    std::string PurposeId() const;      // dwPurpose, as stored
    std::int32_t SampleLength() const;  // dwSampleLength
    std::int32_t CuePointId() const;    // dwName
};

// Where one sub-chunk of the shown list lies, as the load's walk found it.
struct SubChunkPlace {
    std::uint64_t offset = 0;  // its header
    std::uint32_t size = 0;    // its size field
};

// The most entries of one kind a list keeps the places of: the view lists
// positions 1 to 32767 of each kind.
inline constexpr std::size_t kMostKeptEntries = 32767;

// The sub-chunks of one id in the shown list: where each of the first
// kMostKeptEntries lies, and how many the list holds in all.
struct SubChunkPlaces {
    std::vector<SubChunkPlace> kept;
    std::uint64_t count = 0;
    void Add(const SubChunkPlace& place) {
        if (kept.size() < kMostKeptEntries) kept.push_back(place);
        ++count;
    }
};

// The entries of one kind in a list, in file order, by 1-based position.
// Each is read from the file when asked for, straight from its kept place.
template <typename Entry>
class SubChunkCollection {
public:
    SubChunkCollection() = default;
    SubChunkCollection(std::shared_ptr<const ByteSource> source, SubChunkPlaces places, std::uint64_t listEnd,
                       std::string listId, const char* noun, const char* nounPlural, ByteOrder order)
        : source_(std::move(source)),
          places_(std::move(places)),
          listEnd_(listEnd),
          listId_(std::move(listId)),
          noun_(noun),
          nounPlural_(nounPlural),
          order_(order) {}

    // The entry at 1-based position index; raises WaveDocError for a position
    // the list does not hold (or, past kMostKeptEntries, does not keep),
    // FileChangedError when the file changed.
    Entry Item(std::int32_t index) const {
        if (index < 1 || static_cast<std::uint64_t>(index) > places_.kept.size()) {
            throw WaveDocError(NotHeldMessage(listId_, places_.count, noun_, nounPlural_, index));
        }
        const SubChunkPlace& place = places_.kept[static_cast<std::size_t>(index - 1)];
        const std::uint64_t dataOffset = place.offset + layout::kChunkHeaderSize;
        const ChunkHeader header{
            std::string(Entry::kId), place.size,   place.offset, dataOffset, PresentSize(place),
            PadByte::None,           std::nullopt, false,        place.size, order_};
        return Entry(header, source_, OwnerName{listId_, noun_, static_cast<std::uint64_t>(index)});
    }

    std::int32_t Count() const {
        return static_cast<std::int32_t>(std::min<std::uint64_t>(places_.count, INT32_MAX));
    }

    // How many entries, from the first, hold their fixed fields whole (each
    // of them can be read in full), known without reading them.
    std::int32_t LeadingWhole() const {
        std::size_t whole = 0;
        while (whole < places_.kept.size() && PresentSize(places_.kept[whole]) >= Entry::kFixedBytes) ++whole;
        return static_cast<std::int32_t>(whole);
    }
    // Where the entry at 1-based position index lies, as the load found it;
    // nothing for a position the list does not keep.
    std::optional<SubChunkPlace> Place(std::int32_t index) const {
        if (index < 1 || static_cast<std::uint64_t>(index) > places_.kept.size()) return std::nullopt;
        return places_.kept[static_cast<std::size_t>(index - 1)];
    }

private:
    // The bytes of an entry's content that lie within the list.
    std::uint64_t PresentSize(const SubChunkPlace& place) const {
        return offsets::BytesBefore(place.offset + layout::kChunkHeaderSize, place.size, listEnd_);
    }

    std::shared_ptr<const ByteSource> source_;
    SubChunkPlaces places_;
    std::uint64_t listEnd_ = 0;
    std::string listId_;
    const char* noun_ = "entry";
    const char* nounPlural_ = "entries";
    ByteOrder order_ = ByteOrder::Little;
};

using LablEntryCollection = SubChunkCollection<LablEntry>;
using NoteEntryCollection = SubChunkCollection<NoteEntry>;
using LtxtEntryCollection = SubChunkCollection<LtxtEntry>;

// The places of a list's labl, note and ltxt sub-chunks, gathered by the
// load's walk.
struct ListEntryPlaces {
    SubChunkPlaces labels;
    SubChunkPlaces notes;
    SubChunkPlaces labelledTexts;
    // Keeps the place of a sub-chunk with this id, if it is one of the three.
    void Add(std::string_view id, const SubChunkPlace& place);
};

// "LIST" or "list": the list type and its labl, note and ltxt sub-chunks, in
// file order within each kind. Other sub-chunks are not exposed. The load's
// walk keeps where the entries lie; each is read when it is asked for.
class ListChunk : public ChunkBase {
public:
    ListChunk() = default;
    ListChunk(const ChunkSpan& span, ListEntryPlaces places);

    const NoteEntryCollection& Notes() const { return notes_; }
    const LtxtEntryCollection& LabeledTexts() const { return labeledTexts_; }
    const LablEntryCollection& Labels() const { return labels_; }
    std::string TypeId() const;  // the four characters after the header, as stored

private:
    FieldReader fields_;
    NoteEntryCollection notes_;
    LtxtEntryCollection labeledTexts_;
    LablEntryCollection labels_;
};

}  // namespace wavedoc
