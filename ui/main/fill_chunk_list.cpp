#include "fill_chunk_list.h"

#include <string>

#include "wavedoc/wave_document.h"

void FillChunkList(const wavedoc::WaveDocument& document, RowSink& chunkGrid, RowSink& valueGrid) {
    chunkGrid.ClearRows();
    valueGrid.ClearRows();
    // The fixed listing order, whatever the order of the chunks in the file.
    for (const wavedoc::ChunkType& type : wavedoc::kChunkTypes) {
        const wavedoc::ChunkBase& chunk = document.Chunk(type.kind);
        if (chunk.Name().empty()) continue;
        chunkGrid.AppendRow(chunk.Name() + "\t" + std::to_string(chunk.Size()));
    }
}
