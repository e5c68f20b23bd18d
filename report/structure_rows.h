#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rows/row_sink.h"
#include "wavedoc/document/structure_map.h"

namespace wavedoc {
class WaveDocument;
}

namespace report {

// Which routine gives an entry of the map its rows, for ondulo-dump's
// structure forms and the structure window alike.
enum class RowsFrom {
    ChunkDetails,  // a chunk the chunk list shows: its detail routine (rows::ShowChunkDetails)
    LaterChunk,    // a later chunk of a type the chunk list shows: the same routine, on it
    EntryRows,     // rows of its own: its decoder, or its first bytes (ShowEntryRows)
    ListEntry,     // a label, note or labelled text of the list the chunk list shows: the rows
                   // the list gives it (rows::ShowListEntryDetails)
    Enclosing,     // held in the rows of the list around it: a list decoded as a whole, or
                   // the sub-chunks of the list the chunk list shows
    None,          // stray bytes, or a list whose sub-chunks carry the rows
};

// Where the rows of `entry` come from; insideDecodedList tells that a list
// around it is decoded as a whole (HasDecoder of that list).
RowsFrom EntryRowsFrom(const wavedoc::MapEntry& entry, bool insideDecodedList);

// Clears `rows` and appends the rows of `entry` as `from` says, for
// ChunkDetails, LaterChunk, EntryRows and ListEntry (the others have none); the result
// is why they stop short, when they do.
std::optional<std::string> ShowRowsFrom(RowsFrom from, const wavedoc::WaveDocument& document,
                                        const wavedoc::MapEntry& entry, rows::RowSink& rows);

// The rows the structure forms of ondulo-dump give an entry of the map: the
// fields of a chunk the chunk list does not show (bext, an INFO list, iXML,
// ID3 …), the rows the shown associated-data list gives each of its labels,
// notes and labelled texts, or the first bytes of one no routine decodes
// (RowsFrom::EntryRows). The chunks the list shows have their rows under
// "chunks" already, and the items of a list decoded as a whole (INFO) are in
// its rows; those get none here.
class StructureRows {
public:
    explicit StructureRows(const wavedoc::WaveDocument& document) : document_(document) {}

    struct Rows {
        std::vector<std::string> rows;  // as rows::RowSink takes them: label TAB value, or a heading
        std::vector<std::optional<rows::ByteRange>> ranges;  // the range of each row, when it has one
        std::optional<std::string> stopped;                  // why the rows stop short, when they do
    };

    // The rows of `entry`, or nothing when it carries none. Call it for the
    // map's entries in file order: a list decoded as a whole keeps its
    // sub-chunks from getting rows of their own.
    std::optional<Rows> For(const wavedoc::MapEntry& entry);

private:
    const wavedoc::WaveDocument& document_;
    int decodedListDepth_ = -1;  // the depth of the list decoded as a whole around entry, or -1
};

}  // namespace report
