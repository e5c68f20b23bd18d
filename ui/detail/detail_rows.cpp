#include "detail_rows.h"

#include <limits>
#include <string>

#include "display_text.h"

namespace {

// 10485760 as "10,485,760".
std::string GroupedThousands(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

}  // namespace

std::string ShownText(std::string text, std::uint64_t length) {
    if (text.size() >= length) return text;
    // The read may have stopped inside a UTF-8 sequence: drop its first bytes
    // rather than show the whole text as another encoding.
    if (!IsValidUtf8(text)) {
        for (std::size_t drop = 1; drop <= 3 && drop < text.size(); ++drop) {
            if (IsValidUtf8(std::string_view(text).substr(0, text.size() - drop))) {
                text.resize(text.size() - drop);
                break;
            }
        }
    }
    return text + " ... (" + GroupedThousands(length) + " bytes in all)";
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
