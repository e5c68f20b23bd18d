#include "detail_rows.h"

#include <algorithm>
#include <limits>
#include <string>

#include "display_text.h"
#include "wavedoc/counted.h"

namespace {

// 10485760 as "10,485,760".
std::string GroupedThousands(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes at the end of text are the start of a UTF-8 sequence cut
// short: a lead byte and continuation bytes, after UTF-8 text. A lone lead
// byte after plain ASCII reads more likely as a Windows-1252 letter ("caf\xE9")
// and is kept.
std::size_t CutUtf8Sequence(std::string_view text) {
    if (IsValidUtf8(text)) return 0;
    for (std::size_t cut = 1; cut <= 3 && cut < text.size(); ++cut) {
        const std::string_view head = text.substr(0, text.size() - cut);
        const std::string_view tail = text.substr(text.size() - cut);
        const auto lead = static_cast<unsigned char>(tail[0]);
        if (lead < 0xC2 || lead > 0xF4 || !std::all_of(tail.begin() + 1, tail.end(), IsContinuation))
            continue;
        if (!IsValidUtf8(head)) return 0;
        const bool utf8Before = std::any_of(head.begin(), head.end(), [](char c) { return c < 0; });
        return cut >= 2 || utf8Before ? cut : 0;
    }
    return 0;
}

}  // namespace

std::string ShownText(std::string text, std::uint64_t length) {
    if (text.size() >= length) return text;
    // The read may have stopped inside a UTF-8 sequence: drop its first bytes
    // rather than show the whole text as another encoding.
    const std::size_t cut = CutUtf8Sequence(text);
    text.resize(text.size() - cut);
    return text + " ... (" + GroupedThousands(length) + " " +
           std::string(wavedoc::Agreeing(length, "byte", "bytes")) + " in all)";
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
