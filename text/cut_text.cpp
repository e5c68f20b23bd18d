#include "cut_text.h"

#include <algorithm>

#include "display_text.h"
#include "text/counted.h"

namespace text {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes a UTF-8 sequence that starts with `lead` takes; 0 for a byte
// that starts none.
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte < 0x80) return 1;
    if (byte >= 0xC2 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF4) return 4;
    return 0;
}

// text without a UTF-8 character cut short at its very end: a lead byte and
// fewer continuation bytes than it announces.
std::string_view WithoutCutCharacter(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const char c = text[text.size() - back];
        if (IsContinuation(c)) continue;
        const std::size_t length = SequenceLength(c);
        return length > back ? text.substr(0, text.size() - back) : text;
    }
    return text;
}

}  // namespace

std::string MarkCut(std::string_view shown, std::uint64_t wholeLength) {
    std::string value(shown);
    value.append(kCutMark).append(std::to_string(wholeLength));
    return value;
}

CutValue SplitCut(std::string_view value) {
    // Nearly every value holds no zero byte: one fast search says so.
    if (value.find('\0') == std::string_view::npos) return {value, std::nullopt};
    const std::size_t mark = value.rfind(kCutMark);
    if (mark == std::string_view::npos) return {value, std::nullopt};
    const std::string_view digits = value.substr(mark + kCutMark.size());
    if (digits.empty() || digits.size() > 19 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {value, std::nullopt};
    }
    return {value.substr(0, mark), std::stoull(std::string(digits))};
}

std::string CutMarker(std::uint64_t wholeLength) {
    return " ... (" + GroupedThousands(wholeLength) + " " +
           std::string(Agreeing(wholeLength, "byte", "bytes")) + " in all)";
}

std::string ValueText(std::string_view value) {
    const CutValue cut = SplitCut(value);
    if (!cut.wholeLength) return std::string(value);
    return std::string(cut.shown) + CutMarker(*cut.wholeLength);
}

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    if (!IsValidUtf8(WithoutCutCharacter(text))) return text.substr(0, limit);
    std::size_t cut = limit;
    while (cut > 0 && IsContinuation(text[cut])) --cut;
    return text.substr(0, cut);
}

}  // namespace text
