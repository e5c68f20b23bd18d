#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// A text that a cell shows only in part. In a row, its value is the part
// shown, then kCutMark, then how many bytes the whole text holds, in decimal
// digits. No shown text holds a zero byte (a text ends at its first one), and
// no other value holds the mark followed by digits, so a text that merely
// reads like the marker (" ... (10,000 bytes in all)") is never taken for one:
// the grid (by its tool tip) and the JSON output (by "bytes_in_all") tell the
// two apart; the text output, meant for reading, writes both alike.
inline constexpr std::string_view kCutMark{"\0cut", 4};

struct CutValue {
    std::string_view shown;                    // the value, without the mark
    std::optional<std::uint64_t> wholeLength;  // set when the value is cut
};

// `shown` as the value of a text that holds wholeLength bytes in all.
std::string MarkCut(std::string_view shown, std::uint64_t wholeLength);
// A value (or a whole row, which ends with its value) and its mark, if any.
CutValue SplitCut(std::string_view value);
// " ... (10,485,760 bytes in all)".
std::string CutMarker(std::uint64_t wholeLength);
// The value as plain text: the part shown, then CutMarker when it is cut.
std::string ValueText(std::string_view value);

// At most `limit` bytes of text. When the bytes given are UTF-8 as a whole (a
// character cut short at their very end aside), the cut falls before a whole
// character; otherwise each byte is a character of its own and the cut falls
// at `limit`.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

}  // namespace text
