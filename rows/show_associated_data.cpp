// The associated data list (LIST or list): its type, then every label, note
// and labelled text, in that order of groups whatever their order in the file,
// each entry closed by a blank row.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/chunk_fields.h"

namespace rows {

namespace {

namespace adtl = wavedoc::layout::adtl;

// A text row: the text as far as a cell shows it, with a note of its length
// when it is longer. A zero byte that ends the text is looked for as far as
// the longest output reads, so a grid that shows less of the text gives it
// the same length as ondulo-dump does.
void AddTextRow(RowSink& values, std::string_view label, const wavedoc::SubChunkEntry& entry) {
    wavedoc::SubChunkEntry::StoredText text =
        entry.ReadText(std::max(values.TextLimit(), wavedoc::kTextReadLimit));
    const std::uint64_t length = text.length;
    AddValueRow(values, label, ShownText(std::move(text.shown), length, values.TextLimit()),
                ByteRange{entry.TextOffset(), length});
}

// The sub-chunk's id and size, in its header, and its fixed fields after it.
ByteRange HeaderRange(const wavedoc::SubChunkEntry& entry, const wavedoc::Field& field) {
    return ByteRange{entry.Offset() + field.offset, field.width};
}
ByteRange IdRange(const wavedoc::SubChunkEntry& entry) {
    return HeaderRange(entry, wavedoc::layout::header::kId);
}
ByteRange SizeRange(const wavedoc::SubChunkEntry& entry) {
    return HeaderRange(entry, wavedoc::layout::header::kSize);
}

// Where an entry of the list lies, its header included.
template <typename Entry>
ByteRange EntryPlace(const wavedoc::SubChunkCollection<Entry>& entries, std::int32_t i) {
    const std::optional<wavedoc::SubChunkPlace> place = entries.Place(i);
    if (!place) return ByteRange{0, 0};
    return ByteRange{place->offset, wavedoc::layout::kChunkHeaderSize + std::uint64_t{place->size}};
}

ByteRange LabelPlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return EntryPlace(document.List().Labels(), i);
}
ByteRange NotePlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return EntryPlace(document.List().Notes(), i);
}
ByteRange LabelledTextPlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return EntryPlace(document.List().LabeledTexts(), i);
}

// A label or a note: id, size, cue point id, text, and a blank row.
void ShowLabelRows(const wavedoc::LablEntry& entry, std::string_view kind, std::string_view textLabel,
                   RowSink& values) {
    AddValueRow(values, "     Subchunk ID", entry.Name() + std::string(kind), IdRange(entry));
    AddNumberRow(values, "     Subchunk Data Size", entry.Size(), SizeRange(entry));
    AddNumberRow(values, "     Cue point ID", entry.CuePointId(), ContentRange(entry, adtl::kName));
    AddTextRow(values, textLabel, entry);
    AddHeadingRow(values, "");
}

void ShowLabel(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    ShowLabelRows(document.List().Labels().Item(i), " (label)", "     Label text", values);
}

void ShowNote(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    ShowLabelRows(document.List().Notes().Item(i), "", "     Note text", values);
}

void ShowLabelledText(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    const auto text = document.List().LabeledTexts().Item(i);
    AddValueRow(values, "     Subchunk ID", text.Name() + " (labeled text)", IdRange(text));
    AddNumberRow(values, "     Subchunk Data size", text.Size(), SizeRange(text));
    AddNumberRow(values, "     Cue point ID", text.CuePointId(), ContentRange(text, adtl::kName));
    AddNumberRow(values, "     Sample length", text.SampleLength(), ContentRange(text, adtl::kSampleLength));
    AddValueRow(values, "     Purpose ID", text.PurposeId(), ContentRange(text, adtl::kPurpose));
    AddNumberRow(values, "     Country", text.Country(), ContentRange(text, adtl::kCountry));
    AddNumberRow(values, "     Language", text.Language(), ContentRange(text, adtl::kLanguage));
    AddNumberRow(values, "     Dialect", text.Dialect(), ContentRange(text, adtl::kDialect));
    AddNumberRow(values, "     Code page", text.CodePage(), ContentRange(text, adtl::kCodePage));
    AddTextRow(values, "     Text", text);
    AddHeadingRow(values, "");
}

// The position of the entry of `entries` whose header lies at `offset`, by
// halving the kept places (they are in file order); nothing when none does.
template <typename Entry>
std::optional<std::int16_t> PositionAt(const wavedoc::SubChunkCollection<Entry>& entries,
                                       std::uint64_t offset) {
    std::int32_t low = 1;
    std::int32_t high = std::min<std::int32_t>(entries.Count(), INT16_MAX);
    while (low <= high) {
        const std::int32_t middle = low + (high - low) / 2;
        const std::optional<wavedoc::SubChunkPlace> place = entries.Place(middle);
        if (place && place->offset == offset) return static_cast<std::int16_t>(middle);
        if (place && place->offset < offset) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return std::nullopt;
}

}  // namespace

void ShowAssociatedDataEntry(const wavedoc::WaveDocument& document, std::uint64_t offset, RowSink& values) {
    const wavedoc::ListChunk& list = document.List();
    if (const auto label = PositionAt(list.Labels(), offset)) {
        ShowLabel(document, *label, values);
    } else if (const auto note = PositionAt(list.Notes(), offset)) {
        ShowNote(document, *note, values);
    } else if (const auto text = PositionAt(list.LabeledTexts(), offset)) {
        ShowLabelledText(document, *text, values);
    }
}

void ShowAssociatedData(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::ListChunk& list = document.List();
    AddValueRow(values, "Type ID", list.TypeId(), ContentRange(list, wavedoc::layout::kListType));
    ShowListedEntries(values, document, list.Labels().Count(),
                      {"labels", 5, list.Labels().LeadingWhole(), LabelPlace, ShowLabel});
    ShowListedEntries(values, document, list.Notes().Count(),
                      {"notes", 5, list.Notes().LeadingWhole(), NotePlace, ShowNote});
    ShowListedEntries(
        values, document, list.LabeledTexts().Count(),
        {"labelled texts", 11, list.LabeledTexts().LeadingWhole(), LabelledTextPlace, ShowLabelledText});
}

}  // namespace rows
