#pragma once

#include "ui/detail/row_sink.h"

namespace wavedoc {
class WaveDocument;
}

// Clears both grids, then appends one row per chunk the document holds, in a
// fixed order whatever the order in the file: name, TAB, signed decimal size.
void FillChunkList(const wavedoc::WaveDocument& document, RowSink& chunkGrid, RowSink& valueGrid);
