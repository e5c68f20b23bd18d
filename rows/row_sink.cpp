#include "row_sink.h"

#include <string>

#include "wavedoc/chunks/list_chunk.h"

namespace rows {

std::uint64_t RowSink::TextLimit() const { return wavedoc::kTextReadLimit; }

void RowSink::AppendValue(std::string_view label, std::string_view value) {
    // One buffer per thread, reused row after row: a list of hundreds of
    // thousands of rows costs no allocation per row.
    thread_local std::string row;
    row.assign(label).append(1, '\t').append(value);
    AppendRow(row);
}

void RowSink::AppendNumber(std::string_view label, std::int64_t value) {
    AppendValue(label, std::to_string(value));
}

void RowSink::AppendRun(const RecordRun& run) {
    if (run.count >= 1) run.show(1, run.count, *this);
}

void AddValueRow(RowSink& grid, std::string_view label, std::string_view value,
                 const std::optional<ByteRange>& at) {
    const RowRange range(grid, at);
    grid.AppendValue(label, value);
}

void AddHeadingRow(RowSink& grid, std::string_view text, const std::optional<ByteRange>& at) {
    const RowRange range(grid, at);
    grid.AppendRow(text);
}

std::optional<ByteRange> RangeWithin(const std::optional<ByteRange>& record, std::uint64_t offset,
                                     std::uint64_t length) {
    if (!record) return std::nullopt;
    return ByteRange{record->offset + offset, length};
}

std::optional<ByteRange> RangeWithin(const std::optional<ByteRange>& record, const wavedoc::Field& field) {
    return RangeWithin(record, field.offset, field.width);
}

std::pair<std::string_view, std::string_view> SplitRow(std::string_view row) {
    const std::size_t tab = row.find('\t');
    if (tab == std::string_view::npos) return {row, std::string_view()};
    return {row.substr(0, tab), row.substr(tab + 1)};
}

}  // namespace rows
