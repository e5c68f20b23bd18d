#include "detail_rows.h"

#include <limits>
#include <string>

#include "cut_text.h"

std::string ShownText(std::string text, std::uint64_t length, std::uint64_t limit) {
    if (length <= limit) return text;
    return MarkCut(CutAtCharacter(text, limit), length);
}

void AddNumberRow(RowSink& grid, std::string_view label, std::int32_t value) {
    AddValueRow(grid, label, std::to_string(value));
}

std::int16_t NarrowCount(std::int32_t count, std::string_view what) {
    constexpr std::int32_t kLowest = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kHighest = std::numeric_limits<std::int16_t>::max();
    if (count > kHighest) {
        throw DetailStop("it has " + std::to_string(count) + " " + std::string(what) + ", and at most " +
                         std::to_string(kHighest) + " can be listed.");
    }
    if (count < kLowest) {
        throw DetailStop("its count of " + std::string(what) + ", " + std::to_string(count) +
                         ", lies below " + std::to_string(kLowest) + " and cannot be used.");
    }
    return static_cast<std::int16_t>(count);
}
