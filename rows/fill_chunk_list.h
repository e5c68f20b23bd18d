#pragma once

#include <vector>

#include "rows/row_sink.h"

namespace wavedoc {
class ChunkBase;
class WaveDocument;
}  // namespace wavedoc

namespace rows {

// The chunks the document holds, in the fixed order of the chunk list
// whatever their order in the file.
std::vector<const wavedoc::ChunkBase*> ListedChunks(const wavedoc::WaveDocument& document);

// Clears both grids, then appends one row per listed chunk: name, TAB, signed
// decimal size.
void FillChunkList(const wavedoc::WaveDocument& document, RowSink& chunkGrid, RowSink& valueGrid);

}  // namespace rows
