#pragma once

#include <optional>
#include <string>

#include "row_sink.h"

namespace wavedoc {
class WaveDocument;
}

namespace rows {

// Clears `values` and appends the rows of the chunk named `chunkName` (exact,
// case-sensitive match; any other name leaves the grid empty). When a routine
// cannot finish (a field or record the file does not hold, a count or octave
// that does not fit in 16 bits, too little memory) the rows appended so far
// stay and the result is one sentence saying which chunk could not be shown in
// full and why; when the file on disk is no longer the one analysed, the rows
// are the fields the load holds (the rest are withheld) and the sentence says
// the file has changed.
std::optional<std::string> ShowChunkDetails(const wavedoc::WaveDocument& document,
                                            const std::string& chunkName, RowSink& values);

}  // namespace rows
