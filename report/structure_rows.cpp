#include "report/structure_rows.h"

#include "chunkinfo/entry_rows.h"
#include "rows/chunk_details.h"
#include "rows/row_sink.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace report {

namespace {

// A label, note or labelled text: the sub-chunks the associated-data list
// gives rows each.
bool IsAssociatedDataEntry(const wavedoc::MapEntry& entry) {
    return !entry.IsList() && (entry.id == "labl" || entry.id == "note" || entry.id == "ltxt");
}

}  // namespace

RowsFrom EntryRowsFrom(const wavedoc::MapEntry& entry, bool insideDecodedList) {
    if (insideDecodedList) return RowsFrom::Enclosing;
    if (!entry.IsChunk()) return RowsFrom::None;
    if (chunkinfo::HasDecoder(entry)) return RowsFrom::EntryRows;
    if (entry.listing == wavedoc::Listing::LaterDuplicate && entry.depth == 0 && !entry.IsList()) {
        return RowsFrom::LaterChunk;
    }
    if (entry.listing == wavedoc::Listing::Listed) {
        if (entry.depth == 0) return RowsFrom::ChunkDetails;
        return IsAssociatedDataEntry(entry) ? RowsFrom::ListEntry : RowsFrom::Enclosing;
    }
    return entry.IsList() ? RowsFrom::None : RowsFrom::EntryRows;
}

std::optional<std::string> ShowRowsFrom(RowsFrom from, const wavedoc::WaveDocument& document,
                                        const wavedoc::MapEntry& entry, rows::RowSink& rows) {
    switch (from) {
        case RowsFrom::ChunkDetails:
            return rows::ShowChunkDetails(document, entry.id, rows);
        case RowsFrom::LaterChunk:
            try {
                // The document of the later chunk lives for this call only.
                rows::EagerRows eager(rows);
                return rows::ShowChunkDetails(*document.WithChunkFrom(entry), entry.id, eager);
            } catch (const wavedoc::WaveDocError& error) {
                rows.ClearRows();
                return error.what();
            }
        case RowsFrom::EntryRows:
            return chunkinfo::ShowEntryRows(document, entry, rows);
        case RowsFrom::ListEntry:
            return rows::ShowListEntryDetails(document, entry.offset, rows);
        case RowsFrom::Enclosing:
        case RowsFrom::None:
            break;
    }
    rows.ClearRows();
    return std::nullopt;
}

std::optional<StructureRows::Rows> StructureRows::For(const wavedoc::MapEntry& entry) {
    if (decodedListDepth_ >= 0 && entry.depth <= decodedListDepth_) decodedListDepth_ = -1;
    const RowsFrom from = EntryRowsFrom(entry, decodedListDepth_ >= 0);
    // A file the chunk list refuses (a 64-bit form) has no chunk rows: the
    // chunks it would list carry their rows here instead.
    const bool listedHere = from == RowsFrom::ChunkDetails && !document_.FormRefusal().empty();
    if (from != RowsFrom::EntryRows && from != RowsFrom::LaterChunk && from != RowsFrom::ListEntry &&
        !listedHere) {
        return std::nullopt;
    }
    if (entry.IsList()) decodedListDepth_ = entry.depth;
    rows::RowList rows;
    Rows shown;
    shown.stopped = ShowRowsFrom(from, document_, entry, rows);
    shown.ranges = rows.Ranges();
    shown.rows = std::move(rows).TakeRows();
    return shown;
}

}  // namespace report
