#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/widgets/grid_rows.h"

// Rows with the bytes they show, such as GridRows::RowsOverByte gives.
using RowRanges = std::vector<RangedRow>;

// The row whose range holds `offset` most closely: the shortest range that
// holds it, the first of those alike. Nothing when no range holds it.
std::optional<int> RowHolding(const RowRanges& ranges, std::uint64_t offset);

// The row that stands for what starts at `offset` (a finding's record or
// field): of the ranges that start there, the longest shorter than
// `entryLength` (the entry as a whole is not a field of it). Nothing when no
// range starts there.
std::optional<int> RowStartingAt(const RowRanges& ranges, std::uint64_t offset, std::uint64_t entryLength);
