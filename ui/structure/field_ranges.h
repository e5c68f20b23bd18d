#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/detail/row_sink.h"
#include "ui/widgets/grid_rows.h"

// The rows of an entry for the grid, with the range of file bytes each shows
// kept beside them, so that a row can mark its bytes and a byte can name its row.
class RangedGridRows : public GridRows {
public:
    void ClearRows() override {
        GridRows::ClearRows();
        ranges_.clear();
    }
    void AppendRow(std::string_view row) override {
        GridRows::AppendRow(row);
        ranges_.push_back(Range());
    }
    std::vector<std::optional<ByteRange>> TakeRanges() { return std::move(ranges_); }

private:
    std::vector<std::optional<ByteRange>> ranges_;
};

using RowRanges = std::vector<std::optional<ByteRange>>;

// The row whose range holds `offset` most closely: the shortest range that
// holds it, the first of those alike. Nothing when no range holds it.
std::optional<int> RowHolding(const RowRanges& ranges, std::uint64_t offset);

// The row that stands for what starts at `offset` (a finding's record or
// field): of the ranges that start there, the longest shorter than
// `entryLength` (the entry as a whole is not a field of it). Nothing when no
// range starts there.
std::optional<int> RowStartingAt(const RowRanges& ranges, std::uint64_t offset, std::uint64_t entryLength);
