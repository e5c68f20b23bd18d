#include "chunkinfo/entry_rows.h"

#include <new>

#include "chunkinfo/decoder_table.h"
#include "rows/detail_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace chunkinfo {

std::optional<std::string> ShowEntryRows(const wavedoc::WaveDocument& document,
                                         const wavedoc::MapEntry& entry, rows::RowSink& rows) {
    rows.ClearRows();
    const ChunkRoutine decoder = RoutineFor(entry);
    const ChunkRoutine routine = decoder != nullptr ? decoder : ShowFirstBytes;
    // Stray bytes are no chunk: only a failed read stops their rows, and its
    // sentence names the file.
    const auto incomplete = [&](std::string reason) {
        return entry.IsChunk() ? rows::IncompleteSentence(entry.id, std::move(reason)) : reason;
    };
    try {
        // The routine's many small reads share one opening of the file.
        const wavedoc::ReadingSession session(document.Source());
        routine(ChunkInput(document, entry), rows);
    } catch (const wavedoc::FileChangedError& changed) {
        return changed.what();
    } catch (const wavedoc::WaveDocError& error) {
        return incomplete(error.what());
    } catch (const rows::DetailStop& stop) {
        return incomplete(stop.what());
    } catch (const std::bad_alloc&) {
        return incomplete("there is not enough memory.");
    }
    return std::nullopt;
}

bool HasDecoder(const wavedoc::MapEntry& entry) { return RoutineFor(entry) != nullptr; }

}  // namespace chunkinfo
