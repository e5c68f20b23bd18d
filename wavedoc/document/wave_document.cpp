#include "wavedoc/document/wave_document.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>

#include "text/counted.h"
#include "wavedoc/document/chunk_store.h"
#include "wavedoc/document/load_notes.h"
#include "wavedoc/document/map_builder.h"
#include "wavedoc/document/other_forms.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {

struct WaveDocument::Chunks {
    ChunkStore store;
    std::shared_ptr<const ByteSource> source;
    std::vector<std::string> notes;
    StructureMap map;
    FileForm form = FileForm::Riff;
    ByteOrder order = ByteOrder::Little;
    bool orderSwapped = false;
    std::optional<Ds64Sizes> ds64;
    std::string formRefusal;

    void ReadFrom(const std::shared_ptr<const ByteSource>& source, std::uint32_t riffSize,
                  WalkObserver* observer);
};

namespace {

constexpr std::uint64_t kRiffHeaderSize = layout::kRiffHeaderSize;

std::string NotWave(const std::string& name, const std::string& why) {
    return "The file \"" + name + "\" is not a WAV file: " + why + ".";
}

// The form the first four bytes name, when Load reads it.
std::optional<FileForm> FormOf(const std::string& head, LoadForms forms) {
    if (head.compare(0, 4, "RIFF") == 0) return FileForm::Riff;
    if (forms != LoadForms::AnyForm) return std::nullopt;
    if (head.compare(0, 4, "RF64") == 0) return FileForm::Rf64;
    if (head.compare(0, 4, "BW64") == 0) return FileForm::Bw64;
    if (head.compare(0, 4, "RIFX") == 0) return FileForm::Rifx;
    return std::nullopt;
}

// Why a file that does not start with "RIFF" is refused, and what it is when
// its first bytes tell. A form of WAV is not called "not a WAV file".
std::string NotRiff(const std::string& name, const std::string& head) {
    const std::string notRiff = NotWave(name, "it does not start with \"RIFF\"");
    const OtherForm* form = FindOtherForm(head);
    if (form == nullptr) return notRiff;
    const std::string starts = "The file \"" + name + "\" starts with \"" +
                               std::string(BytesOf(head, layout::header::kId)) + "\", not \"RIFF\"";
    std::string verdict = notRiff;
    if (FormOf(head, LoadForms::AnyForm)) {
        // RF64, BW64 and RIFX: the structure window maps and checks them.
        verdict =
            starts +
            ": the chunk list shows RIFF files only, and View > Structure\u2026 (Ctrl+M) shows this one.";
    } else if (form->waveForm) {
        verdict = starts + ", and Ondulo reads only RIFF files.";
    }
    return verdict + " " + std::string(form->sentence);
}

// Why the chunk list does not show a file of a 64-bit form that the map reads.
std::string ListRefusal(const std::string& name, const std::string& head) {
    const OtherForm* form = FindOtherForm(head);
    return "The file \"" + name + "\" starts with \"" + std::string(BytesOf(head, layout::header::kId)) +
           "\", not \"RIFF\": the chunk list shows RIFF files only, but the structure map and the check read "
           "it." +
           (form != nullptr ? " " + std::string(form->sentence) : std::string());
}

// Why the first bytes do not open a WAVE file of a form Load reads, with the
// status to return; status 0 when they do.
std::int16_t CheckRiffHeader(const ByteSource& source, const std::string& head, LoadForms forms,
                             std::string& error) {
    const std::string& name = source.DisplayName();
    if (head.size() < 4) {
        error = NotWave(name, "it is only " + text::Counted(head.size(), "byte", "bytes") + " long");
        return LoadNotRiff;
    }
    if (!FormOf(head, forms)) {
        error = NotRiff(name, head);
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

// The order of the numbers of a file of this form.
ByteOrder OrderOf(FileForm form) { return form == FileForm::Rifx ? ByteOrder::Big : ByteOrder::Little; }

// Whether the RIFF size and the size of the first chunk, read in `order`,
// both stay inside the file (the RIFF size may leave out a last pad byte).
// A head whose numbers fail there in the order its form names, and fit in
// the other, was written in the other.
bool SizesFit(const ByteSource& source, const std::string& head, ByteOrder order) {
    const std::uint64_t length = source.Length();
    const std::uint64_t riffSize = NumberIn(BytesOf(head, layout::header::kSize), order);
    if (layout::kChunkHeaderSize + riffSize > length + 1) return false;
    const std::string first = source.Read(kRiffHeaderSize, layout::kChunkHeaderSize);
    if (first.size() < layout::kChunkHeaderSize) return true;
    const std::uint64_t size = NumberIn(BytesOf(first, layout::header::kSize), order);
    return kRiffHeaderSize + layout::kChunkHeaderSize + size <= length;
}

ChunkHeader HeaderOf(const MapEntry& entry, ByteOrder order) {
    return {entry.id,
            entry.size,
            entry.offset,
            entry.offset + layout::kChunkHeaderSize,
            entry.present,
            entry.pad,
            entry.padValue,
            entry.last,
            entry.DeclaredSize(),
            order};
}

ChunkSpan SpanOf(const MapEntry& entry, const ChunkType& type,
                 const std::shared_ptr<const ByteSource>& source, ByteOrder order) {
    const ChunkHeader header = HeaderOf(entry, order);
    return {header, source->Read(header.dataOffset, std::min(type.headBytes, header.presentSize)), source};
}

// Of several list chunks the first associated data list is shown, else the
// first list of any type; a later associated data list is noted as not shown.
// While the walk is inside a list that may become the one shown, the places
// of its entries are kept.
class ListChoice {
public:
    // A list at the top level; its sub-chunks follow.
    void TopLevelList(const MapEntry& list, LoadNoteWriter& notes) {
        current_ = nullptr;
        const bool adtl = list.listType == layout::kAssociatedDataType;
        if (!firstList_) {
            firstList_.emplace(Candidate{list, {}});
            current_ = &*firstList_;
            firstIsAdtl_ = adtl;
            adtlLists_ += adtl ? 1 : 0;
        } else if (adtl && adtlLists_++ == 0) {
            firstAdtl_.emplace(Candidate{list, {}});
            current_ = &*firstAdtl_;
        } else if (adtl) {
            notes.LaterAssociatedData(list);
        }
    }
    // Any other entry at the top level ends the list before it.
    void OtherTopLevel() { current_ = nullptr; }
    // A sub-chunk of the list walked last at the top level; whether it is one
    // the list shows, if that list is chosen.
    void SubChunk(const MapEntry& entry) {
        if (current_ != nullptr && entry.IsChunk())
            current_->places.Add(entry.id, {entry.offset, entry.size});
    }
    bool InCandidate() const { return current_ != nullptr; }

    struct Candidate {
        MapEntry list;
        ListEntryPlaces places;
    };
    std::optional<Candidate> TakeChosen() {
        return firstIsAdtl_ || !firstAdtl_ ? std::move(firstList_) : std::move(firstAdtl_);
    }

private:
    std::optional<Candidate> firstList_;
    std::optional<Candidate> firstAdtl_;
    Candidate* current_ = nullptr;
    bool firstIsAdtl_ = false;
    std::size_t adtlLists_ = 0;
};

// Once the list shown is known: which of the map's lists and sub-chunks the
// window lists.
void SettleListListings(StructureMap& map, std::optional<std::uint64_t> shownList) {
    bool inShown = false;
    for (MapEntry& entry : map.entries) {
        if (entry.depth == 0) {
            inShown = entry.IsList() && shownList && entry.offset == *shownList;
            if (entry.IsList()) entry.listing = inShown ? Listing::Listed : Listing::OtherList;
        } else if (entry.IsChunk()) {
            const bool shows = entry.depth == 1 && inShown;
            entry.listing = !shows                                    ? Listing::OtherList
                            : layout::IsAssociatedDataEntry(entry.id) ? Listing::Listed
                                                                      : Listing::NotAnEntry;
        }
    }
}

}  // namespace

// Walks the file once: takes the first chunk of each type the document
// holds, chooses the list it shows, builds the map, writes the notes and
// tells the observer of every entry.
void WaveDocument::Chunks::ReadFrom(const std::shared_ptr<const ByteSource>& from, std::uint32_t riffSize,
                                    WalkObserver* observer) {
    source = from;
    LoadNoteWriter loadNotes(source->DisplayName());
    MapBuilder mapBuilder(source->Length());
    std::array<bool, kChunkTypes.size()> taken{};
    ListChoice lists;
    std::uint64_t statedRiffSize = riffSize;
    if (ds64 && ds64->HoldsRiffSize() && riffSize == layout::kSizeInDs64) statedRiffSize = ds64->riffSize;
    if (observer != nullptr) observer->Begin(statedRiffSize, form, source->Length());
    WalkFile(*source, statedRiffSize, ds64 ? &*ds64 : nullptr, order, [&](MapEntry& entry) {
        if (entry.notWalked) loadNotes.NotWalked(entry);
        if (entry.depth == 0 && entry.IsList()) {
            lists.TopLevelList(entry, loadNotes);
            entry.listing = lists.InCandidate() ? Listing::Listed : Listing::OtherList;
        } else if (entry.depth == 0) {
            lists.OtherTopLevel();
            const ChunkType* type = entry.IsChunk() ? FindChunkType(entry.id) : nullptr;
            if (type == nullptr) {
                if (entry.IsChunk()) entry.listing = Listing::UnknownType;
            } else if (bool& done = taken[static_cast<std::size_t>(type->kind)]; done) {
                entry.listing = Listing::LaterDuplicate;
            } else {
                done = true;
                TakeChunk(store, type->kind, SpanOf(entry, *type, source, order));
            }
        } else if (entry.IsChunk()) {
            if (entry.depth == 1) lists.SubChunk(entry);
            entry.listing = Listing::OtherList;  // settled once the list shown is known
        }
        mapBuilder.Add(entry);
        if (observer != nullptr) observer->Entry(entry);
    });
    std::optional<std::uint64_t> shownList;
    if (std::optional<ListChoice::Candidate> chosen = lists.TakeChosen()) {
        shownList = chosen->list.offset;
        ChunkIn<ChunkKind::List>(store) = ListChunk(
            SpanOf(chosen->list, TypeOf(ChunkKind::List), source, order), std::move(chosen->places));
    }
    map = std::move(mapBuilder).Finish();
    SettleListListings(map, shownList);
    notes = std::move(loadNotes).Finish();
}

WaveDocument::WaveDocument() : chunks_(std::make_unique<Chunks>()) {}
WaveDocument::~WaveDocument() = default;

const GenericChunk& WaveDocument::Pad() const { return ChunkIn<ChunkKind::Pad>(chunks_->store); }
const InstChunk& WaveDocument::Inst() const { return ChunkIn<ChunkKind::Inst>(chunks_->store); }
const SmplChunk& WaveDocument::Smpl() const { return ChunkIn<ChunkKind::Smpl>(chunks_->store); }
const ListChunk& WaveDocument::List() const { return ChunkIn<ChunkKind::List>(chunks_->store); }
const PlstChunk& WaveDocument::Plst() const { return ChunkIn<ChunkKind::Plst>(chunks_->store); }
const CueChunk& WaveDocument::Cue() const { return ChunkIn<ChunkKind::Cue>(chunks_->store); }
const SlntChunk& WaveDocument::Slnt() const { return ChunkIn<ChunkKind::Slnt>(chunks_->store); }
const GenericChunk& WaveDocument::Wavl() const { return ChunkIn<ChunkKind::Wavl>(chunks_->store); }
const FactChunk& WaveDocument::Fact() const { return ChunkIn<ChunkKind::Fact>(chunks_->store); }
const GenericChunk& WaveDocument::Data() const { return ChunkIn<ChunkKind::Data>(chunks_->store); }
GenericChunk& WaveDocument::Data() { return ChunkIn<ChunkKind::Data>(chunks_->store); }
const FmtChunk& WaveDocument::Fmt() const { return ChunkIn<ChunkKind::Fmt>(chunks_->store); }
const GenericChunk& WaveDocument::RiffHeader() const { return ChunkIn<ChunkKind::Riff>(chunks_->store); }

const ChunkBase& WaveDocument::Chunk(ChunkKind kind) const { return ChunkIn(chunks_->store, kind); }

const ByteSource* WaveDocument::Source() const { return chunks_->source.get(); }

// Everything but the map, the notes and the form refusal, which showing one
// chunk does not read; a list is left as it is, as Take chooses none.
std::unique_ptr<WaveDocument> WaveDocument::WithChunkFrom(const MapEntry& entry) const {
    auto copy = std::make_unique<WaveDocument>();
    Chunks& chunks = *copy->chunks_;
    chunks.store = chunks_->store;
    chunks.source = chunks_->source;
    chunks.form = chunks_->form;
    chunks.order = chunks_->order;
    chunks.orderSwapped = chunks_->orderSwapped;
    chunks.ds64 = chunks_->ds64;
    if (const ChunkType* type = FindChunkType(entry.id);
        type != nullptr && chunks.source && entry.IsChunk()) {
        TakeChunk(chunks.store, type->kind, SpanOf(entry, *type, chunks.source, chunks.order));
    }
    return copy;
}

const std::string& WaveDocument::LoadError() const { return loadError_; }
const std::vector<std::string>& WaveDocument::LoadNotes() const { return chunks_->notes; }
const StructureMap& WaveDocument::Structure() const { return chunks_->map; }
FileForm WaveDocument::Form() const { return chunks_->form; }
ByteOrder WaveDocument::Order() const { return chunks_->order; }
bool WaveDocument::OrderSwapped() const { return chunks_->orderSwapped; }
const std::optional<Ds64Sizes>& WaveDocument::Ds64() const { return chunks_->ds64; }
std::string WaveDocument::FormRefusal() const { return chunks_->formRefusal; }

std::int16_t WaveDocument::Load(const std::string& path, WalkObserver* observer, LoadForms forms) {
    std::string reason;
    std::shared_ptr<const ByteSource> source = OpenFileSource(path, reason);
    if (!source) {
        loadError_ = reason;
        return LoadUnreadable;
    }
    return LoadFrom(std::move(source), observer, forms);
}

std::int16_t WaveDocument::LoadFromMemory(std::string bytes, const std::string& displayName,
                                          WalkObserver* observer, LoadForms forms) {
    return LoadFrom(MakeMemorySource(std::move(bytes), displayName), observer, forms);
}

std::int16_t WaveDocument::LoadFrom(std::shared_ptr<const ByteSource> source, WalkObserver* observer,
                                    LoadForms forms) {
    // The file stays open for the load alone. Everything is read into a fresh
    // set of chunks, which replaces the current one only when the whole file
    // has been read.
    try {
        const ReadingSession session(source.get());
        const std::string head = source->Read(0, std::max(kRiffHeaderSize, kOtherFormHeadBytes));
        if (const std::int16_t status = CheckRiffHeader(*source, head, forms, loadError_); status != LoadOk) {
            return status;
        }
        auto fresh = std::make_unique<Chunks>();
        fresh->form = *FormOf(head, forms);
        if (fresh->form == FileForm::Rf64 || fresh->form == FileForm::Bw64) fresh->ds64 = ReadDs64(*source);
        if (fresh->form != FileForm::Riff) {
            fresh->formRefusal = ListRefusal(source->DisplayName(), head);
        }
        fresh->order = OrderOf(fresh->form);
        if (fresh->form == FileForm::Riff || fresh->form == FileForm::Rifx) {
            const ByteOrder other = fresh->order == ByteOrder::Big ? ByteOrder::Little : ByteOrder::Big;
            if (!SizesFit(*source, head, fresh->order) && SizesFit(*source, head, other)) {
                fresh->order = other;
                fresh->orderSwapped = true;
            }
        }
        const FieldReader riff(head, OwnerName{"RIFF"}, fresh->order);
        ChunkIn<ChunkKind::Riff>(fresh->store) =
            GenericChunk("RIFF", riff.Bits32(layout::header::kSize), riff.FourCC(layout::header::kFormType));
        fresh->ReadFrom(source, static_cast<std::uint32_t>(ChunkIn<ChunkKind::Riff>(fresh->store).Size()),
                        observer);
        chunks_ = std::move(fresh);
        loadError_.clear();
        return LoadOk;
    } catch (const FileChangedError&) {
        // Not yet analysed: the file was replaced or changed while it was read.
        loadError_ = "The file \"" + source->DisplayName() +
                     "\" changed while it was being read: read it again when it is complete.";
    } catch (const WaveDocError& error) {
        loadError_ = error.what();
    } catch (const std::bad_alloc&) {
        loadError_ = "The file \"" + source->DisplayName() + "\" cannot be read: there is not enough memory.";
    }
    return LoadUnreadable;
}

}  // namespace wavedoc
