#include "wave_document.h"

#include <algorithm>
#include <new>
#include <optional>

#include "chunk_walker.h"
#include "wave_error.h"

namespace wavedoc {

struct WaveDocument::Chunks {
    GenericChunk pad;
    InstChunk inst;
    SmplChunk smpl;
    ListChunk list;
    PlstChunk plst;
    CueChunk cue;
    SlntChunk slnt;
    GenericChunk wavl;
    FactChunk fact;
    GenericChunk data;
    FmtChunk fmt;
    GenericChunk riffHeader;
    std::vector<std::string> notes;

    void ReadFrom(const std::shared_ptr<const ByteSource>& source);
};

namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;

std::string NotWave(const std::string& name, const std::string& why) {
    return "The file \"" + name + "\" is not a WAV file: " + why + ".";
}

// Why the first 12 bytes do not open a RIFF WAVE file, with the status to
// return; status 0 when they do.
std::int16_t CheckRiffHeader(const ByteSource& source, const std::string& head, std::string& error) {
    const std::string& name = source.DisplayName();
    if (head.size() < 4) {
        error = NotWave(name, "it is only " + std::to_string(head.size()) + " bytes long");
        return LoadNotRiff;
    }
    if (head.compare(0, 4, "RIFF") != 0) {
        error = NotWave(name, "it does not start with \"RIFF\"");
        return LoadNotRiff;
    }
    if (head.size() < kRiffHeaderSize) {
        error = NotWave(name, "it ends before the RIFF form type");
        return LoadNotWave;
    }
    if (head.compare(8, 4, "WAVE") != 0) {
        error = NotWave(name, "its RIFF form type is not \"WAVE\"");
        return LoadNotWave;
    }
    return LoadOk;
}

std::int32_t StoredSize(const ChunkHeader& header) { return static_cast<std::int32_t>(header.storedSize); }

std::string InFile(const ByteSource& source) { return "In the file \"" + source.DisplayName() + "\", "; }

std::string RunsPastEndNote(const ByteSource& source, const ChunkHeader& header) {
    return InFile(source) + "the \"" + header.id +
           "\" chunk runs past the end of the file: its size field says " +
           std::to_string(header.storedSize) + " bytes, the file holds " +
           std::to_string(header.presentSize) + ".";
}

std::string NotAChunkNote(const ByteSource& source, std::uint64_t offset) {
    return InFile(source) + "the " + std::to_string(source.Length() - offset) + " bytes from offset " +
           std::to_string(offset) + " do not start a chunk, so nothing from there on is listed.";
}

// The first "LIST" or "list" chunk of each kind met during the walk.
struct ListChoice {
    std::optional<ChunkHeader> firstList;
    std::optional<ChunkHeader> firstAdtl;

    void Consider(const ByteSource& source, const ChunkHeader& header) {
        if (!firstList) firstList = header;
        if (!firstAdtl &&
            source.Read(header.dataOffset, std::min<std::uint64_t>(4, header.presentSize)) == "adtl") {
            firstAdtl = header;
        }
    }
    const std::optional<ChunkHeader>& Chosen() const { return firstAdtl ? firstAdtl : firstList; }
};

// Fills slot from the chunk's content unless an earlier chunk of its type did.
template <typename Chunk>
void KeepFirst(Chunk& slot, const ChunkHeader& header, const ByteSource& source) {
    if (slot.Name().empty()) slot = Chunk(header.id, StoredSize(header), ReadContent(source, header));
}

// The same for a chunk whose content is read only when asked for, so that a
// large data chunk costs nothing here.
void KeepFirstOnDemand(GenericChunk& slot, const ChunkHeader& header,
                       const std::shared_ptr<const ByteSource>& source) {
    if (slot.Name().empty()) {
        slot = GenericChunk(header.id, StoredSize(header), source, header.dataOffset, header.presentSize);
    }
}

}  // namespace

// Reads the top-level chunks of a RIFF WAVE file; the first of each type wins.
void WaveDocument::Chunks::ReadFrom(const std::shared_ptr<const ByteSource>& source) {
    ListChoice lists;
    // Streaming writers leave 0 or 0xFFFFFFFF in the RIFF size, so the end of
    // the file decides where the walk ends.
    ChunkWalker walker(*source, kRiffHeaderSize, source->Length());
    while (const std::optional<ChunkHeader> header = walker.Next()) {
        if (header->presentSize < header->storedSize) notes.push_back(RunsPastEndNote(*source, *header));
        const std::string& id = header->id;
        if (id == "fmt ") {
            KeepFirst(fmt, *header, *source);
        } else if (id == "fact") {
            KeepFirst(fact, *header, *source);
        } else if (id == "slnt") {
            KeepFirst(slnt, *header, *source);
        } else if (id == "cue ") {
            KeepFirst(cue, *header, *source);
        } else if (id == "plst") {
            KeepFirst(plst, *header, *source);
        } else if (id == "smpl") {
            KeepFirst(smpl, *header, *source);
        } else if (id == "inst") {
            KeepFirst(inst, *header, *source);
        } else if (id == "data") {
            KeepFirstOnDemand(data, *header, source);
        } else if (id == "wavl") {
            KeepFirstOnDemand(wavl, *header, source);
        } else if (id == "PAD ") {
            KeepFirstOnDemand(pad, *header, source);
        } else if (id == "LIST" || id == "list") {
            lists.Consider(*source, *header);
        }
    }
    if (const std::optional<std::uint64_t> stop = walker.StoppedAt()) {
        notes.push_back(NotAChunkNote(*source, *stop));
    }
    if (const auto& chosen = lists.Chosen()) {
        list = ListChunk(chosen->id, StoredSize(*chosen), ReadContent(*source, *chosen));
    }
}

WaveDocument::WaveDocument() : chunks_(std::make_unique<Chunks>()) {}
WaveDocument::~WaveDocument() = default;

const GenericChunk& WaveDocument::Pad() const { return chunks_->pad; }
const InstChunk& WaveDocument::Inst() const { return chunks_->inst; }
const SmplChunk& WaveDocument::Smpl() const { return chunks_->smpl; }
const ListChunk& WaveDocument::List() const { return chunks_->list; }
const PlstChunk& WaveDocument::Plst() const { return chunks_->plst; }
const CueChunk& WaveDocument::Cue() const { return chunks_->cue; }
const SlntChunk& WaveDocument::Slnt() const { return chunks_->slnt; }
const GenericChunk& WaveDocument::Wavl() const { return chunks_->wavl; }
const FactChunk& WaveDocument::Fact() const { return chunks_->fact; }
const GenericChunk& WaveDocument::Data() const { return chunks_->data; }
GenericChunk& WaveDocument::Data() { return chunks_->data; }
const FmtChunk& WaveDocument::Fmt() const { return chunks_->fmt; }
const GenericChunk& WaveDocument::RiffHeader() const { return chunks_->riffHeader; }

const std::string& WaveDocument::LoadError() const { return loadError_; }
const std::vector<std::string>& WaveDocument::LoadNotes() const { return chunks_->notes; }

std::int16_t WaveDocument::Load(const std::string& path) {
    std::string reason;
    std::shared_ptr<const ByteSource> source = OpenFileSource(path, reason);
    if (!source) {
        loadError_ = reason;
        return LoadUnreadable;
    }
    return LoadFrom(std::move(source));
}

std::int16_t WaveDocument::LoadFromMemory(std::string bytes, const std::string& displayName) {
    return LoadFrom(MakeMemorySource(std::move(bytes), displayName));
}

std::int16_t WaveDocument::LoadFrom(std::shared_ptr<const ByteSource> source) {
    // Everything is read into a fresh set of chunks, which replaces the current
    // one only when the whole file has been read.
    try {
        const std::string head = source->Read(0, kRiffHeaderSize);
        if (const std::int16_t status = CheckRiffHeader(*source, head, loadError_); status != LoadOk) {
            return status;
        }
        auto fresh = std::make_unique<Chunks>();
        const FieldReader riff(head, "the RIFF header");
        fresh->riffHeader = GenericChunk("RIFF", riff.Bits32(4, "size"), riff.FourCC(8, "form type"));
        fresh->ReadFrom(source);
        chunks_ = std::move(fresh);
        loadError_.clear();
        return LoadOk;
    } catch (const WaveDocError& error) {
        loadError_ = error.what();
    } catch (const std::bad_alloc&) {
        loadError_ = "The file \"" + source->DisplayName() + "\" cannot be read: there is not enough memory.";
    }
    return LoadUnreadable;
}

}  // namespace wavedoc
