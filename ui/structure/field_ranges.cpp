#include "ui/structure/field_ranges.h"

std::optional<int> RowHolding(const RowRanges& ranges, std::uint64_t offset) {
    const RangedRow* best = nullptr;
    for (const RangedRow& row : ranges) {
        const rows::ByteRange& range = row.range;
        if (offset < range.offset || offset - range.offset >= range.length) continue;
        if (best == nullptr || range.length < best->range.length ||
            (range.length == best->range.length && row.row < best->row)) {
            best = &row;
        }
    }
    if (best == nullptr) return std::nullopt;
    return static_cast<int>(best->row);
}

std::optional<int> RowStartingAt(const RowRanges& ranges, std::uint64_t offset, std::uint64_t entryLength) {
    const RangedRow* best = nullptr;
    for (const RangedRow& row : ranges) {
        const rows::ByteRange& range = row.range;
        if (range.offset != offset || range.length == 0 || range.length >= entryLength) continue;
        if (best == nullptr || range.length > best->range.length ||
            (range.length == best->range.length && row.row < best->row)) {
            best = &row;
        }
    }
    if (best == nullptr) return std::nullopt;
    return static_cast<int>(best->row);
}
