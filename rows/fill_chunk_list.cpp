#include "fill_chunk_list.h"

#include <string>

#include "wavedoc/document/wave_document.h"

namespace rows {

std::vector<const wavedoc::ChunkBase*> ListedChunks(const wavedoc::WaveDocument& document) {
    std::vector<const wavedoc::ChunkBase*> chunks;
    for (const wavedoc::ChunkType& type : wavedoc::kChunkTypes) {
        const wavedoc::ChunkBase& chunk = document.Chunk(type.kind);
        if (!chunk.Name().empty()) chunks.push_back(&chunk);
    }
    return chunks;
}

void FillChunkList(const wavedoc::WaveDocument& document, RowSink& chunkGrid, RowSink& valueGrid) {
    chunkGrid.ClearRows();
    valueGrid.ClearRows();
    for (const wavedoc::ChunkBase* chunk : ListedChunks(document)) {
        chunkGrid.AppendRow(chunk->Name() + "\t" + std::to_string(chunk->Size()));
    }
}

}  // namespace rows
