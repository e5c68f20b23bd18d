#pragma once

#include <optional>
#include <string>

#include "rows/row_sink.h"

namespace wavedoc {
class WaveDocument;
struct MapEntry;
}  // namespace wavedoc

// The rows of any entry of a document's structure map: the fields of the
// chunk types real files carry beyond those the chunk list shows, one
// routine each (the decoders' table lists them: bext, the INFO and exif
// lists, iXML, ID3, ds64, filler chunks ...), and for any other chunk or run
// of stray bytes its first bytes as hex and text.
namespace chunkinfo {

// Clears `rows` and appends the rows of `entry`, which must come from
// document.Structure(). What is read is bounded by what the rows show, never
// by a size or count the file states. When the rows stop short (a field the
// chunk does not hold, malformed XML, a tag that runs past its chunk, too
// little memory) the rows so far stay and the result is one sentence saying
// which chunk could not be shown in full and why; when the file on disk is no
// longer the one analysed, the sentence says so. For stray bytes, which are
// no chunk, the sentence is the reason alone.
std::optional<std::string> ShowEntryRows(const wavedoc::WaveDocument& document,
                                         const wavedoc::MapEntry& entry, rows::RowSink& rows);

// Whether a routine of its own decodes the entry's fields; ShowEntryRows
// shows the first bytes of a chunk without one. The chunks the chunk list
// shows (other than a list) have none here: their detail routines
// (ShowChunkDetails) give their rows.
bool HasDecoder(const wavedoc::MapEntry& entry);

}  // namespace chunkinfo
