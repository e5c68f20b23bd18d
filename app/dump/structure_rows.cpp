#include "structure_rows.h"

#include "chunkinfo/entry_rows.h"
#include "ui/detail/chunk_details.h"
#include "ui/detail/row_sink.h"
#include "wavedoc/document/wave_document.h"

std::optional<StructureRows::Rows> StructureRows::For(const wavedoc::MapEntry& entry) {
    if (decodedListDepth_ >= 0 && entry.depth <= decodedListDepth_) decodedListDepth_ = -1;
    if (decodedListDepth_ >= 0 || !entry.IsChunk()) return std::nullopt;
    const bool decoded = chunkinfo::HasDecoder(entry);
    // A file the chunk list refuses (a 64-bit form) has no chunk rows: the
    // chunks it would list carry their rows here instead.
    const bool listedHere = !decoded && entry.listing == wavedoc::Listing::Listed && entry.depth == 0 &&
                            !document_.FormRefusal().empty();
    if (!decoded && !listedHere && (entry.listing == wavedoc::Listing::Listed || entry.IsList()))
        return std::nullopt;
    if ((decoded || listedHere) && entry.IsList()) decodedListDepth_ = entry.depth;
    RowList rows;
    Rows shown;
    shown.stopped = listedHere ? ShowChunkDetails(document_, entry.id, rows)
                               : chunkinfo::ShowEntryRows(document_, entry, rows);
    shown.rows = std::move(rows).TakeRows();
    return shown;
}
