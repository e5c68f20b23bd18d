#include "list_chunk.h"

#include <vector>

#include "byte_source.h"
#include "chunk_naming.h"
#include "chunk_walker.h"

namespace wavedoc {
namespace {

// Sub-chunks start after the four-character list type.
constexpr std::uint64_t kFirstSubChunk = 4;

// Collects the entries of one sub-chunk id in file order, naming each for
// messages ("label 2 of the LIST chunk").
template <typename Entry>
class EntryGatherer {
public:
    EntryGatherer(const char* noun, const char* nounPlural, std::string owner)
        : noun_(noun), nounPlural_(nounPlural), owner_(std::move(owner)) {}

    void Add(const ChunkHeader& header, std::string data) {
        entries_.emplace_back(header.id, static_cast<std::int32_t>(header.storedSize), std::move(data),
                              EntryOwnerName(noun_, entries_.size() + 1, owner_));
    }
    EntryCollection<Entry> Collection() { return {std::move(entries_), owner_, noun_, nounPlural_}; }

private:
    const char* noun_;
    const char* nounPlural_;
    std::string owner_;
    std::vector<Entry> entries_;
};

}  // namespace

LablEntry::LablEntry(std::string name, std::int32_t size, std::string data, std::string owner)
    : ChunkBase(std::move(name), size), fields_(std::move(data), std::move(owner)) {}

std::int32_t LablEntry::CuePointId() const { return fields_.Bits32(0, "dwName"); }
std::string LablEntry::Text() const { return fields_.TextUpToZero(4); }

LtxtEntry::LtxtEntry(std::string name, std::int32_t size, std::string data, std::string owner)
    : ChunkBase(std::move(name), size), fields_(std::move(data), std::move(owner)) {}

std::int32_t LtxtEntry::CuePointId() const { return fields_.Bits32(0, "dwName"); }
std::int32_t LtxtEntry::SampleLength() const { return fields_.Bits32(4, "dwSampleLength"); }
std::string LtxtEntry::PurposeId() const { return fields_.FourCC(8, "dwPurpose"); }
std::int32_t LtxtEntry::Country() const { return fields_.Unsigned16(12, "wCountry"); }
std::int32_t LtxtEntry::Language() const { return fields_.Unsigned16(14, "wLanguage"); }
std::int32_t LtxtEntry::Dialect() const { return fields_.Unsigned16(16, "wDialect"); }
std::int32_t LtxtEntry::CodePage() const { return fields_.Unsigned16(18, "wCodePage"); }
std::string LtxtEntry::Text() const { return fields_.TextUpToZero(20); }

ListChunk::ListChunk(std::string name, std::int32_t size, std::string bytes)
    : ChunkBase(name, size), fields_(std::move(bytes), ChunkOwnerName(name)) {
    const std::string& owner = fields_.Owner();
    EntryGatherer<LablEntry> labels("label", "labels", owner);
    EntryGatherer<NoteEntry> notes("note", "notes", owner);
    EntryGatherer<LtxtEntry> labeledTexts("labelled text", "labelled texts", owner);

    // The sub-chunks are walked by the same rules as the file's chunks.
    const auto source = MakeMemorySource(fields_.Bytes(), owner);
    ChunkWalker walker(*source, kFirstSubChunk, source->Length());
    while (const std::optional<ChunkHeader> header = walker.Next()) {
        if (header->id == "labl") {
            labels.Add(*header, ReadContent(*source, *header));
        } else if (header->id == "note") {
            notes.Add(*header, ReadContent(*source, *header));
        } else if (header->id == "ltxt") {
            labeledTexts.Add(*header, ReadContent(*source, *header));
        }
    }
    labels_ = labels.Collection();
    notes_ = notes.Collection();
    labeledTexts_ = labeledTexts.Collection();
}

std::string ListChunk::TypeId() const { return fields_.FourCC(0, "list type"); }

}  // namespace wavedoc
