#include "fill_chunk_list.h"

#include <array>
#include <string>

#include "wavedoc/wave_document.h"

void FillChunkList(const wavedoc::WaveDocument& document, RowSink& chunkGrid, RowSink& valueGrid) {
    chunkGrid.ClearRows();
    valueGrid.ClearRows();
    // The fixed listing order, whatever the order of the chunks in the file.
    const std::array<const wavedoc::ChunkBase*, 12> chunks = {
        &document.RiffHeader(), &document.Fmt(),  &document.Fact(), &document.Wavl(),
        &document.Slnt(),       &document.Cue(),  &document.Plst(), &document.List(),
        &document.Smpl(),       &document.Inst(), &document.Pad(),  &document.Data(),
    };
    for (const wavedoc::ChunkBase* chunk : chunks) {
        if (chunk->Name().empty()) continue;
        chunkGrid.AppendRow(chunk->Name() + "\t" + std::to_string(chunk->Size()));
    }
}
