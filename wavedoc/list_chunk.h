#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "chunk_base.h"
#include "chunk_walker.h"
#include "field_reader.h"
#include "load_notes.h"
#include "wave_error.h"

namespace wavedoc {

// The most bytes of one text an entry reads; TextLength tells how long the
// whole text is.
inline constexpr std::uint64_t kTextReadLimit = 4096;

// One sub-chunk of a list: its stored size and id, its fixed fields, and its
// text, read from the file when asked for.
class SubChunkEntry : public ChunkBase {
public:
    // The text up to its first zero byte, at most kTextReadLimit bytes of it.
    std::string Text() const;
    // How many bytes the whole text holds: up to its first zero byte when
    // that lies within the bytes Text reads, else the text's bytes as stored
    // without a closing zero byte.
    std::uint64_t TextLength() const;

    // Both at once, from one read of the text.
    struct StoredText {
        std::string shown;
        std::uint64_t length = 0;
    };
    StoredText ReadText() const;

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
    LablEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source, OwnerName owner);
    std::int32_t CuePointId() const;  // dwName
};

class NoteEntry : public LablEntry {
public:
    using LablEntry::LablEntry;
};

// An ltxt sub-chunk. The 16-bit fields are delivered as their unsigned value.
class LtxtEntry : public SubChunkEntry {
public:
    LtxtEntry(const ChunkHeader& header, const std::shared_ptr<const ByteSource>& source, OwnerName owner);

    std::int32_t CodePage() const;      // wCodePage
    std::int32_t Dialect() const;       // wDialect
    std::int32_t Language() const;      // wLanguage
    std::int32_t Country() const;       // wCountry
    std::string PurposeId() const;      // dwPurpose, as stored
    std::int32_t SampleLength() const;  // dwSampleLength
    std::int32_t CuePointId() const;    // dwName
};

// Finds the sub-chunks of one id in a list by walking it again when asked.
// It remembers where the last answer lay, so asking for positions in rising
// order walks the list once, and it holds nothing per entry.
class SubChunkFinder {
public:
    SubChunkFinder() = default;
    SubChunkFinder(std::shared_ptr<const ByteSource> source, std::uint64_t begin, std::uint64_t end,
                   std::string id);
    // The header of the index-th sub-chunk with the id (1-based), if there is one.
    std::optional<ChunkHeader> Find(std::uint64_t index) const;
    const std::shared_ptr<const ByteSource>& Source() const { return source_; }

private:
    std::shared_ptr<const ByteSource> source_;
    std::uint64_t begin_ = 0;
    std::uint64_t end_ = 0;
    std::string id_;
    mutable std::optional<ChunkWalker> walk_;
    mutable std::uint64_t found_ = 0;  // how many the walk has passed
    mutable std::optional<ChunkHeader> last_;
};

// The entries of one kind in a list, in file order, by 1-based position.
template <typename Entry>
class SubChunkCollection {
public:
    SubChunkCollection() = default;
    SubChunkCollection(SubChunkFinder finder, std::uint64_t count, std::string listId, const char* noun,
                       const char* nounPlural)
        : finder_(std::move(finder)),
          count_(count),
          listId_(std::move(listId)),
          noun_(noun),
          nounPlural_(nounPlural) {}

    // The entry at 1-based position index; raises WaveDocError for a position
    // the list does not hold, FileChangedError when the file changed.
    Entry Item(std::int32_t index) const {
        const std::optional<ChunkHeader> header = index < 1 || static_cast<std::uint64_t>(index) > count_
                                                      ? std::nullopt
                                                      : finder_.Find(static_cast<std::uint64_t>(index));
        if (!header) throw WaveDocError(NotHeldMessage(listId_, count_, noun_, nounPlural_, index));
        return Entry(*header, finder_.Source(), OwnerName{listId_, noun_, static_cast<std::uint64_t>(index)});
    }

    std::int32_t Count() const {
        return static_cast<std::int32_t>(std::min<std::uint64_t>(count_, INT32_MAX));
    }

private:
    SubChunkFinder finder_;
    std::uint64_t count_ = 0;
    std::string listId_;
    const char* noun_ = "entry";
    const char* nounPlural_ = "entries";
};

using LablEntryCollection = SubChunkCollection<LablEntry>;
using NoteEntryCollection = SubChunkCollection<NoteEntry>;
using LtxtEntryCollection = SubChunkCollection<LtxtEntry>;

// "LIST" or "list": the list type and its labl, note and ltxt sub-chunks, in
// file order within each kind. Other sub-chunks are not exposed. The load
// walks the sub-chunks once to count them and to note any damage; entries are
// read when they are asked for.
class ListChunk : public ChunkBase {
public:
    ListChunk() = default;
    ListChunk(const ChunkSpan& span, LoadNoteWriter& notes);

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
