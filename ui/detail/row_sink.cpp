#include "row_sink.h"

#include <string>

#include "wavedoc/chunks/list_chunk.h"

std::uint64_t RowSink::TextLimit() const { return wavedoc::kTextReadLimit; }

void AddValueRow(RowSink& grid, std::string_view label, std::string_view value) {
    std::string row;
    row.reserve(label.size() + 1 + value.size());
    row.append(label).append(1, '\t').append(value);
    grid.AppendRow(std::move(row));
}

void AddHeadingRow(RowSink& grid, std::string_view text) { grid.AppendRow(std::string(text)); }

std::pair<std::string_view, std::string_view> SplitRow(std::string_view row) {
    const std::size_t tab = row.find('\t');
    if (tab == std::string_view::npos) return {row, std::string_view()};
    return {row.substr(0, tab), row.substr(tab + 1)};
}
