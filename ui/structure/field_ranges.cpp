#include "ui/structure/field_ranges.h"

std::optional<int> RowHolding(const RowRanges& ranges, std::uint64_t offset) {
    std::optional<int> best;
    std::uint64_t bestLength = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::optional<ByteRange>& range = ranges[i];
        if (!range || offset < range->offset || offset - range->offset >= range->length) continue;
        if (!best || range->length < bestLength) {
            best = static_cast<int>(i);
            bestLength = range->length;
        }
    }
    return best;
}

std::optional<int> RowStartingAt(const RowRanges& ranges, std::uint64_t offset, std::uint64_t entryLength) {
    std::optional<int> best;
    std::uint64_t bestLength = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::optional<ByteRange>& range = ranges[i];
        if (!range || range->offset != offset || range->length == 0 || range->length >= entryLength) continue;
        if (!best || range->length > bestLength) {
            best = static_cast<int>(i);
            bestLength = range->length;
        }
    }
    return best;
}
