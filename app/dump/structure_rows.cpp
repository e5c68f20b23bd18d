#include "structure_rows.h"

#include "chunkinfo/entry_rows.h"
#include "ui/detail/row_sink.h"

std::optional<StructureRows::Rows> StructureRows::For(const wavedoc::MapEntry& entry) {
    if (decodedListDepth_ >= 0 && entry.depth <= decodedListDepth_) decodedListDepth_ = -1;
    if (decodedListDepth_ >= 0 || !entry.IsChunk()) return std::nullopt;
    const bool decoded = chunkinfo::HasDecoder(entry);
    if (!decoded && (entry.listing == wavedoc::Listing::Listed || entry.IsList())) return std::nullopt;
    if (decoded && entry.IsList()) decodedListDepth_ = entry.depth;
    RowList rows;
    Rows shown;
    shown.stopped = chunkinfo::ShowEntryRows(document_, entry, rows);
    shown.rows = std::move(rows).TakeRows();
    return shown;
}
