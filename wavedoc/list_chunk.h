#pragma once

#include <cstdint>
#include <string>

#include "chunk_base.h"
#include "entry_collection.h"
#include "field_reader.h"

namespace wavedoc {

// A labl or note sub-chunk of an associated data list. Size and Name are the
// sub-chunk's stored size and id; the data holds the bytes present.
class LablEntry : public ChunkBase {
public:
    LablEntry(std::string name, std::int32_t size, std::string data, std::string owner);

    std::string Text() const;          // the text up to its first zero byte
    std::int32_t CuePointId() const;   // dwName

private:
    FieldReader fields_;
};

class NoteEntry : public LablEntry {
public:
    using LablEntry::LablEntry;
};

// An ltxt sub-chunk. The 16-bit fields are delivered as their unsigned value.
class LtxtEntry : public ChunkBase {
public:
    LtxtEntry(std::string name, std::int32_t size, std::string data, std::string owner);

    std::string Text() const;            // the text up to its first zero byte
    std::int32_t CodePage() const;       // wCodePage
    std::int32_t Dialect() const;        // wDialect
    std::int32_t Language() const;       // wLanguage
    std::int32_t Country() const;        // wCountry
    std::string PurposeId() const;       // dwPurpose, as stored
    std::int32_t SampleLength() const;   // dwSampleLength
    std::int32_t CuePointId() const;     // dwName

private:
    FieldReader fields_;
};

using LablEntryCollection = EntryCollection<LablEntry>;
using NoteEntryCollection = EntryCollection<NoteEntry>;
using LtxtEntryCollection = EntryCollection<LtxtEntry>;

// "LIST" or "list": the list type and its labl, note and ltxt sub-chunks, in
// file order within each kind. Other sub-chunks are not exposed.
class ListChunk : public ChunkBase {
public:
    ListChunk() = default;
    ListChunk(std::string name, std::int32_t size, std::string bytes);

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
