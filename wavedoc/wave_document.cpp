#include "wave_document.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>

#include "chunk_walker.h"
#include "load_notes.h"
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
    std::shared_ptr<const ByteSource> source;
    std::vector<std::string> notes;

    void ReadFrom(const std::shared_ptr<const ByteSource>& source);
    void Take(ChunkKind kind, const ChunkSpan& span, LoadNoteWriter& notes);
};

namespace {

constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint32_t kStreamingSize = 0xFFFFFFFF;

std::string NotWave(const std::string& name, const std::string& why) {
    return "The file \"" + name + "\" is not a WAV file: " + why + ".";
}

// What a file that starts like a WAV file but not with "RIFF" is, when that
// is known: the 64-bit variants for files over 4 GB, and big-endian RIFF.
std::string KnownOtherForm(const std::string& head) {
    const std::string tag = head.substr(0, 4);
    if (tag == "RF64" || tag == "BW64") {
        return ": it starts with \"" + tag +
               "\", the 64-bit variant of WAV for files over 4 GB, which Ondulo does not read";
    }
    if (tag == "RIFX") return ": it starts with \"RIFX\", big-endian RIFF, which Ondulo does not read";
    return {};
}

// Why the first 12 bytes do not open a RIFF WAVE file, with the status to
// return; status 0 when they do.
std::int16_t CheckRiffHeader(const ByteSource& source, const std::string& head, std::string& error) {
    const std::string& name = source.DisplayName();
    if (head.size() < 4) {
        error = NotWave(name, "it is only " + std::to_string(head.size()) +
                                  (head.size() == 1 ? " byte" : " bytes") + " long");
        return LoadNotRiff;
    }
    if (head.compare(0, 4, "RIFF") != 0) {
        error = NotWave(name, "it does not start with \"RIFF\"" + KnownOtherForm(head));
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

ChunkSpan SpanOf(const ChunkHeader& header, const ChunkType& type,
                 const std::shared_ptr<const ByteSource>& source) {
    return {header, source->Read(header.dataOffset, std::min(type.headBytes, header.presentSize)), source};
}

// Of several list chunks the first associated data list is shown, else the
// first list of any type; a later associated data list is noted as not shown.
class ListChoice {
public:
    void Consider(const ChunkHeader& header, const ByteSource& source, LoadNoteWriter& notes) {
        if (!firstList_) firstList_ = header;
        if (source.Read(header.dataOffset, std::min<std::uint64_t>(4, header.presentSize)) != "adtl") return;
        if (adtlLists_++ == 0) {
            firstAdtl_ = header;
        } else {
            notes.NotShown(header, adtlLists_ - 1, "the first associated data list is");
        }
    }
    const std::optional<ChunkHeader>& Chosen() const { return firstAdtl_ ? firstAdtl_ : firstList_; }

private:
    std::optional<ChunkHeader> firstList_;
    std::optional<ChunkHeader> firstAdtl_;
    std::size_t adtlLists_ = 0;
};

}  // namespace

void WaveDocument::Chunks::Take(ChunkKind kind, const ChunkSpan& span, LoadNoteWriter& loadNotes) {
    switch (kind) {
        case ChunkKind::Fmt:
            fmt = FmtChunk(span);
            break;
        case ChunkKind::Fact:
            fact = FactChunk(span);
            break;
        case ChunkKind::Wavl:
            wavl = GenericChunk(span);
            break;
        case ChunkKind::Slnt:
            slnt = SlntChunk(span);
            break;
        case ChunkKind::Cue:
            cue = CueChunk(span);
            break;
        case ChunkKind::Plst:
            plst = PlstChunk(span);
            break;
        case ChunkKind::List:
            list = ListChunk(span, loadNotes);
            break;
        case ChunkKind::Smpl:
            smpl = SmplChunk(span);
            break;
        case ChunkKind::Inst:
            inst = InstChunk(span);
            break;
        case ChunkKind::Pad:
            pad = GenericChunk(span);
            break;
        case ChunkKind::Data:
            data = GenericChunk(span);
            break;
        case ChunkKind::Riff:
            break;  // the header, read before the walk
    }
}

// Reads the top-level chunks of a RIFF WAVE file; the first of each type is
// shown and every later one is noted.
void WaveDocument::Chunks::ReadFrom(const std::shared_ptr<const ByteSource>& from) {
    source = from;
    LoadNoteWriter loadNotes(source->DisplayName());
    std::array<std::size_t, kChunkTypes.size()> seen{};
    ListChoice lists;
    // Streaming writers leave 0 or 0xFFFFFFFF in the RIFF size, so the end of
    // the file decides where the walk ends.
    ChunkWalker walk(*source, kRiffHeaderSize, source->Length());
    while (const std::optional<ChunkHeader> header = walk.Next()) {
        if (header->presentSize < header->storedSize) {
            if (header->storedSize == kStreamingSize) {
                loadNotes.StreamingSize(*header);
            } else {
                loadNotes.RunsPastEnd(*header, "");
            }
        }
        const ChunkType* type = FindChunkType(header->id);
        if (type == nullptr) continue;
        if (type->kind == ChunkKind::List) {
            lists.Consider(*header, *source, loadNotes);
        } else if (std::size_t& earlier = seen[static_cast<std::size_t>(type->kind)]; earlier++ > 0) {
            loadNotes.NotShown(*header, earlier - 1, "the first one is");
        } else {
            Take(type->kind, SpanOf(*header, *type, source), loadNotes);
        }
    }
    loadNotes.WalkEnded(walk, "");
    if (const auto& chosen = lists.Chosen()) {
        Take(ChunkKind::List, SpanOf(*chosen, TypeOf(ChunkKind::List), source), loadNotes);
    }
    notes = std::move(loadNotes).Finish();
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

const ChunkBase& WaveDocument::Chunk(ChunkKind kind) const {
    switch (kind) {
        case ChunkKind::Riff:
            return RiffHeader();
        case ChunkKind::Fmt:
            return Fmt();
        case ChunkKind::Fact:
            return Fact();
        case ChunkKind::Wavl:
            return Wavl();
        case ChunkKind::Slnt:
            return Slnt();
        case ChunkKind::Cue:
            return Cue();
        case ChunkKind::Plst:
            return Plst();
        case ChunkKind::List:
            return List();
        case ChunkKind::Smpl:
            return Smpl();
        case ChunkKind::Inst:
            return Inst();
        case ChunkKind::Pad:
            return Pad();
        case ChunkKind::Data:
            break;
    }
    return Data();
}

const ByteSource* WaveDocument::Source() const { return chunks_->source.get(); }

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
    // The file stays open for the load alone. Everything is read into a fresh
    // set of chunks, which replaces the current one only when the whole file
    // has been read.
    const ReadingSession session(source.get());
    try {
        const std::string head = source->Read(0, kRiffHeaderSize);
        if (const std::int16_t status = CheckRiffHeader(*source, head, loadError_); status != LoadOk) {
            return status;
        }
        auto fresh = std::make_unique<Chunks>();
        const FieldReader riff(head, OwnerName{"RIFF"});
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
