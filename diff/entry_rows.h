#pragma once

#include <optional>
#include <string>
#include <vector>

#include "diff/diff.h"
#include "report/structure_rows.h"
#include "rows/row_sink.h"

namespace wavedoc {
class WaveDocument;
}

namespace diff {

// One row as shown: label and value (a heading has none), and its range.
struct ShownRow {
    std::string label;  // without its indenting spaces
    std::optional<std::string> value;
    std::optional<rows::ByteRange> at;
};

// The rows of one entry: those outside any run of records, and each record
// of a run apart, so that records can be matched by their id.
struct EntryRows {
    std::vector<ShownRow> rows;
    std::vector<std::vector<ShownRow>> records;
    std::vector<std::optional<rows::ByteRange>> recordPlaces;
    std::optional<std::string> stopped;
};

// Where each entry of a map takes its rows from, as --structure shows them
// and the chunk list's details for the chunks it lists: in one pass over
// the map in file order, since a list decoded as a whole holds its
// sub-chunks' rows, which then get none of their own.
std::vector<report::RowsFrom> RowSourcesOf(const wavedoc::StructureMap& map);

// The rows of one entry of the document's map, from where RowSourcesOf says.
EntryRows RowsOf(const wavedoc::WaveDocument& document, const wavedoc::MapEntry& entry,
                 report::RowsFrom from);

// The rows of B's entry compared with A's: values that differ by label (and
// its order among rows of that label), records matched by id.
void CompareRows(const EntryRows& a, const EntryRows& b, EntryDiff& into);

}  // namespace diff
