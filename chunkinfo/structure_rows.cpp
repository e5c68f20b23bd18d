#include "chunkinfo/structure_rows.h"

#include "chunkinfo/entry_rows.h"
#include "ui/detail/chunk_details.h"
#include "ui/detail/row_sink.h"
#include "wavedoc/document/wave_document.h"

namespace chunkinfo {

RowsFrom EntryRowsFrom(const wavedoc::MapEntry& entry, bool insideDecodedList) {
    if (insideDecodedList) return RowsFrom::Enclosing;
    if (!entry.IsChunk()) return RowsFrom::None;
    if (HasDecoder(entry)) return RowsFrom::EntryRows;
    if (entry.listing == wavedoc::Listing::Listed) {
        return entry.depth == 0 ? RowsFrom::ChunkDetails : RowsFrom::Enclosing;
    }
    return entry.IsList() ? RowsFrom::None : RowsFrom::EntryRows;
}

std::optional<StructureRows::Rows> StructureRows::For(const wavedoc::MapEntry& entry) {
    if (decodedListDepth_ >= 0 && entry.depth <= decodedListDepth_) decodedListDepth_ = -1;
    const RowsFrom from = EntryRowsFrom(entry, decodedListDepth_ >= 0);
    // A file the chunk list refuses (a 64-bit form) has no chunk rows: the
    // chunks it would list carry their rows here instead.
    const bool listedHere = from == RowsFrom::ChunkDetails && !document_.FormRefusal().empty();
    if (from != RowsFrom::EntryRows && !listedHere) return std::nullopt;
    if (entry.IsList()) decodedListDepth_ = entry.depth;
    RowList rows;
    Rows shown;
    shown.stopped =
        listedHere ? ShowChunkDetails(document_, entry.id, rows) : ShowEntryRows(document_, entry, rows);
    shown.rows = std::move(rows).TakeRows();
    return shown;
}

}  // namespace chunkinfo
