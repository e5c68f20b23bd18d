#include "chunkinfo/structure_rows.h"

#include "chunkinfo/entry_rows.h"
#include "ui/detail/row_sink.h"

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
    if (EntryRowsFrom(entry, decodedListDepth_ >= 0) != RowsFrom::EntryRows) return std::nullopt;
    if (entry.IsList()) decodedListDepth_ = entry.depth;
    RowList rows;
    Rows shown;
    shown.stopped = ShowEntryRows(document_, entry, rows);
    shown.rows = std::move(rows).TakeRows();
    return shown;
}

}  // namespace chunkinfo
