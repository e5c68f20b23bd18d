#pragma once

#include <cstdint>
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

// Clears `values` and appends the rows the associated-data list the chunk
// list shows gives its label, note or labelled text whose header lies at
// `offset`, as under the list; none for an offset where no such entry starts.
// Stops as ShowChunkDetails does, with the same sentences.
std::optional<std::string> ShowListEntryDetails(const wavedoc::WaveDocument& document, std::uint64_t offset,
                                                RowSink& values);

}  // namespace rows
