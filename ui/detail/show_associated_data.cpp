// The associated data list (LIST or list): its type, then every label, note
// and labelled text, in that order of groups whatever their order in the file,
// each entry closed by a blank row.
#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"

namespace {

// A text row: the text as far as a cell shows it, with a note of its length
// when it is longer.
void AddTextRow(RowSink& values, std::string_view label, const wavedoc::SubChunkEntry& entry) {
    wavedoc::SubChunkEntry::StoredText text = entry.ReadText(values.TextLimit());
    AddValueRow(values, label, ShownText(std::move(text.shown), text.length, values.TextLimit()));
}

}  // namespace

void ShowAssociatedData(const wavedoc::WaveDocument& document, RowSink& values) {
    AddValueRow(values, "Type ID", document.List().TypeId());

    ForEachListedEntry(document.List().Labels().Count(), "labels", [&](std::int16_t i) {
        const auto label = document.List().Labels().Item(i);
        AddValueRow(values, "     Subchunk ID", label.Name() + " (label)");
        AddNumberRow(values, "     Subchunk Data Size", label.Size());
        AddNumberRow(values, "     Cue point ID", label.CuePointId());
        AddTextRow(values, "     Label text", label);
        AddHeadingRow(values, "");
    });

    ForEachListedEntry(document.List().Notes().Count(), "notes", [&](std::int16_t i) {
        const auto note = document.List().Notes().Item(i);
        AddValueRow(values, "     Subchunk ID", note.Name());
        AddNumberRow(values, "     Subchunk Data Size", note.Size());
        AddNumberRow(values, "     Cue point ID", note.CuePointId());
        AddTextRow(values, "     Note text", note);
        AddHeadingRow(values, "");
    });

    ForEachListedEntry(document.List().LabeledTexts().Count(), "labelled texts", [&](std::int16_t i) {
        const auto text = document.List().LabeledTexts().Item(i);
        AddValueRow(values, "     Subchunk ID", text.Name() + " (labeled text)");
        AddNumberRow(values, "     Subchunk Data size", text.Size());
        AddNumberRow(values, "     Cue point ID", text.CuePointId());
        AddNumberRow(values, "     Sample length", text.SampleLength());
        AddValueRow(values, "     Purpose ID", text.PurposeId());
        AddNumberRow(values, "     Country", text.Country());
        AddNumberRow(values, "     Language", text.Language());
        AddNumberRow(values, "     Dialect", text.Dialect());
        AddNumberRow(values, "     Code page", text.CodePage());
        AddTextRow(values, "     Text", text);
        AddHeadingRow(values, "");
    });
}
