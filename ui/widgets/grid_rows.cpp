#include "ui/widgets/grid_rows.h"

GridRows::GridRows(std::initializer_list<std::string_view> rows) {
    for (const std::string_view row : rows) AppendRow(row);
}

void GridRows::ClearRows() {
    bytes_.clear();
    ends_.clear();
}

void GridRows::AppendRow(std::string_view row) {
    bytes_.append(row);
    ends_.push_back(bytes_.size());
}

std::string_view GridRows::Row(std::size_t i) const {
    const std::uint64_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
}
