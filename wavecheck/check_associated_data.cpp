// The labels, notes and labelled texts of the associated data list shown.
#include "wavecheck/checks.h"
#include "wavedoc/chunks/list_chunk.h"

namespace wavecheck::detail {
namespace {

namespace layout = wavedoc::layout;

// An INFO item's text is looked through for its zero byte up to this long.
constexpr std::uint64_t kMostInfoText = 64 * 1024;

// The list the document shows, when it is an associated data list. Its
// entries are those the load kept: the first 32767 of each kind.
const wavedoc::ListChunk* ShownAdtl(const CheckInput& input) {
    const wavedoc::ListChunk& list = input.document.List();
    if (list.Name().empty() || list.Present() < layout::kListTypeSize) return nullptr;
    return list.TypeId() == layout::kAssociatedDataType ? &list : nullptr;
}

// How many entries of a collection the list keeps.
template <typename Collection>
std::int32_t KeptCount(const Collection& entries) {
    return std::min<std::int32_t>(entries.Count(), static_cast<std::int32_t>(wavedoc::kMostKeptEntries));
}

// Calls visit(entry) for each kept entry of a collection.
template <typename Collection, typename Visit>
void EachEntry(const Collection& entries, Visit visit) {
    for (std::int32_t i = 1; i <= KeptCount(entries); ++i) visit(entries.Item(i));
}

// Every kept label, note and labelled text, in that order, each read once
// for all the checks that look at them.
const std::vector<AdtlEntryFields>& AdtlEntries(const CheckInput& input, const wavedoc::ListChunk& list) {
    if (!input.adtlEntries) {
        std::vector<AdtlEntryFields> entries;
        // The walk found every one of them, so the table is sized once.
        entries.reserve(static_cast<std::size_t>(KeptCount(list.Labels())) +
                        static_cast<std::size_t>(KeptCount(list.Notes())) +
                        static_cast<std::size_t>(KeptCount(list.LabeledTexts())));
        const auto add = [&](const auto& entry) {
            AdtlEntryFields fields{entry.Offset(), entry.Present(), std::decay_t<decltype(entry)>::kId,
                                   std::nullopt, entry.Present() < Stored(entry.Size())};
            if (entry.Present() >= layout::kLabelFixedBytes) fields.cuePointId = Stored(entry.CuePointId());
            entries.push_back(fields);
        };
        EachEntry(list.Labels(), add);
        EachEntry(list.Notes(), add);
        EachEntry(list.LabeledTexts(), add);
        input.adtlEntries = std::move(entries);
    }
    return *input.adtlEntries;
}

// Whether a text that fills a chunk's content from `textStart` on has its
// zero byte: anywhere in a text no longer than a cell shows (a writer may
// leave bytes after it), else as the last byte of the content, so that a long
// text is not read whole.
bool HoldsZero(const CheckInput& input, std::uint64_t contentStart, std::uint64_t present,
               std::uint64_t textStart) {
    if (present <= textStart) return false;
    const wavedoc::ByteSource& source = *input.document.Source();
    if (present - textStart <= wavedoc::kTextReadLimit) {
        return source.Read(contentStart + textStart, present - textStart).find('\0') != std::string::npos;
    }
    const std::string last = source.Read(contentStart + present - 1, 1);
    return last.size() == 1 && last[0] == '\0';
}

// "The text of the "labl" at offset 100 does not end with a zero byte": the
// start of the sentence for a text without its zero byte.
std::string Unterminated(std::string_view what, std::uint64_t offset) {
    return "The text of the " + std::string(what) + " at offset " + std::to_string(offset) +
           " does not end with a zero byte";
}

}  // namespace

void CheckAdtlUnknownCue(const CheckInput& input, Report& report) {
    const wavedoc::ListChunk* list = ShownAdtl(input);
    const auto& cues = Cues(input);
    if (list == nullptr || !cues) return;
    FirstFault fault;
    for (const AdtlEntryFields& entry : AdtlEntries(input, *list)) {
        if (!entry.cuePointId || cues->offsets.Contains(*entry.cuePointId)) continue;
        fault.Note(entry.offset, entry.offset, entry.id, [&] {
            return "The " + Quoted(entry.id) + " at offset " + std::to_string(entry.offset) +
                   " names cue point id " + FieldValue(*entry.cuePointId) +
                   ", which the \"cue \" chunk does not hold.";
        });
    }
    fault.AddTo(report, "entry", "entries");
}

void CheckLtxtPastData(const CheckInput& input, Report& report) {
    const wavedoc::ListChunk* list = ShownAdtl(input);
    const auto& cues = Cues(input);
    const std::optional<AudioLength> length = LengthOfAudio(input);
    if (list == nullptr || !cues || !length) return;
    FirstFault fault;
    EachEntry(list->LabeledTexts(), [&](const wavedoc::LtxtEntry& entry) {
        if (entry.Present() < layout::kLabelledTextFixedBytes) return;
        const std::uint32_t id = Stored(entry.CuePointId());
        const std::optional<std::uint32_t> cue = cues->offsets.Find(id);
        if (!cue) return;  // adtl-unknown-cue
        const std::uint32_t span = Stored(entry.SampleLength());
        const std::uint64_t end = std::uint64_t{*cue} + span;
        if (end <= length->frames) return;
        fault.Note(entry.Offset(), entry, [&] {
            return "The \"ltxt\" at offset " + std::to_string(entry.Offset()) + " runs from sample " +
                   FieldValue(*cue) + " (cue point id " + FieldValue(id) + ") for " +
                   CountField(span, "sample", "samples") + " to sample " + std::to_string(end) +
                   ", past the end of " + length->words + ".";
        });
    });
    fault.AddTo(report, "labelled text", "labelled texts");
}

// Labels and notes, and the items of INFO lists: their readers go by the
// sub-chunk's size, so a text without its zero byte loses nothing. A text
// cut off with its sub-chunk is past-end's to tell.
void CheckTextUnterminated(const CheckInput& input, Report& report) {
    if (const wavedoc::ListChunk* list = ShownAdtl(input)) {
        FirstFault fault;
        for (const AdtlEntryFields& entry : AdtlEntries(input, *list)) {
            if (entry.id == layout::kLabelledTextId) continue;  // its text is optional
            const std::uint64_t start = entry.offset + layout::kChunkHeaderSize;
            if (entry.cut || entry.present < layout::kLabelFixedBytes ||
                HoldsZero(input, start, entry.present, layout::kLabelFixedBytes)) {
                continue;
            }
            fault.Note(entry.offset, entry.offset, entry.id, [&] {
                return Unterminated(Quoted(entry.id), entry.offset) +
                       "; readers go by the sub-chunk's size, so nothing is lost.";
            });
        }
        fault.AddTo(report, "text", "texts");
    }
    FirstFault info;
    for (const wavedoc::MapEntry& item : input.facts.metadata.textItems) {
        // An empty item holds no text to end; a longer one than is read is
        // not judged.
        if (item.size == 0 || item.present < item.size || item.present > kMostInfoText) continue;
        if (ReadContent(input, item, 0, item.present).find('\0') != std::string::npos) continue;
        info.Note(item.offset, item.offset, item.id, [&] {
            return Unterminated("INFO item " + Quoted(item.id), item.offset) + " (its " +
                   text::Counted(item.present, "byte", "bytes") +
                   " hold none), as INFO texts do; readers go by the item's size, so nothing is lost.";
        });
    }
    info.AddTo(report, "INFO item", "INFO items");
}

}  // namespace wavecheck::detail
