#pragma once

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "rows/row_sink.h"
#include "text/cut_text.h"
#include "text/display_text.h"

// Whether the bytes at a row's range hold what the row shows, read by the
// rule its value follows (a number, a text, hex digits). A row whose value
// describes its bytes rather than reproducing them (a note name, a float, a
// sentence) is counted apart, by label. The real files and the built chunks
// are both held to it.
namespace wavtest::ranges {

struct RangedRow {
    std::string label;
    std::string value;  // empty for a heading
    bool heading = false;
    rows::ByteRange at;
};

inline std::uint64_t Unsigned(std::string_view bytes, bool bigEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[bigEndian ? i : bytes.size() - 1 - i]);
        value = value << 8 | byte;
    }
    return value;
}

inline std::int64_t Signed(std::string_view bytes, bool bigEndian) {
    const std::uint64_t value = Unsigned(bytes, bigEndian);
    const unsigned bits = static_cast<unsigned>(bytes.size() * 8);
    if (bits >= 64 || (value >> (bits - 1)) == 0) return static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(value) - (std::int64_t{1} << bits);
}

// A 64-bit number kept as two 32-bit halves, the low one first, each in the
// file's byte order (bext's TimeReferenceLow and TimeReferenceHigh).
inline std::uint64_t LowHalfFirst(std::string_view bytes, bool bigEndian) {
    return Unsigned(bytes.substr(0, 4), bigEndian) | Unsigned(bytes.substr(4, 4), bigEndian) << 32;
}

// An ID3 size: four bytes of seven bits each.
inline std::uint64_t Syncsafe(std::string_view bytes) {
    std::uint64_t value = 0;
    for (const char c : bytes) value = value << 7 | (static_cast<unsigned char>(c) & 0x7F);
    return value;
}

// The number a value starts with ("44100", "-3", "1,048,576 bytes", "1 (PCM)"),
// when its first word is a whole number.
inline std::optional<std::int64_t> LeadingNumber(std::string_view value) {
    std::string digits;
    const std::string_view word = value.substr(0, value.find(' '));
    for (const char c : word) {
        if (c != ',') digits += c;
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return number;
}

inline bool IsNumberLength(std::uint64_t length) {
    return length == 1 || length == 2 || length == 4 || length == 8;
}

// Which rule a row's value was checked by, or why it was not.
enum class Rule { Number, HexNumber, HexBytes, Text, TextWithin, Frame, Placeholder, Described };

// The labels whose value describes the bytes rather than reproducing them,
// each with what it shows: a number, when there is one, is not what the
// bytes hold as an integer.
inline const std::map<std::string, std::string, std::less<>> kDescribed = {
    {"MIDI unity note", "a note name"},
    {"Root note", "a note name"},
    {"Tempo", "a float with its unit"},
    {"Content", "a sentence about a filler's bytes"},
    {"Reserved", "a count of bytes and whether they are zero"},
    {"Peak points", "a count of points"},
    {"Data", "a count of bytes"},
    {"Padding", "a count of bytes"},
};

// Values in words, which no rule reads back: known where they are met.
inline bool IsInWords(std::string_view label, std::string_view value) {
    return label == "Flags" || (label == "UMID" && value == "none (all zero)") ||
           (label.starts_with("PostTimer ") && value == "not used") || value == "not given" ||
           value.ends_with(" LU") || value.ends_with(" LUFS") || value.ends_with(" dB") ||
           value.ends_with(" dBTP") || value.ends_with(" LKFS");
}

// The rule `row` is checked by, and whether its bytes agree with it.
inline std::pair<Rule, bool> Check(const RangedRow& row, std::string_view bytes, bool bigEndian) {
    const std::string_view value = row.value;
    if (row.heading) return {Rule::Placeholder, true};
    if (value == "( . . . )" || value == " ( . . . )") return {Rule::Placeholder, true};
    const std::string_view label = std::string_view(row.label).substr(row.label.find_first_not_of(' '));
    // A PEAK channel: a float and the frame it occurs at.
    if (kDescribed.contains(label) || label.starts_with("Channel ")) return {Rule::Described, true};
    const std::uint64_t length = row.at.length;
    const bool whole = bytes.size() == length;
    // An ID3 tag's version and revision, a byte each: "ID3v2.3.0".
    if (label == "Version" && value.starts_with("ID3v2.")) {
        const auto byte = [&](std::size_t i) { return std::to_string(static_cast<unsigned char>(bytes[i])); };
        return {Rule::Number, length == 2 && whole && value == "ID3v2." + byte(0) + "." + byte(1)};
    }
    // A text: the bytes up to the first zero byte, as far as the value shows
    // them; a value may add the id's name after it ("labl (label)").
    const text::CutValue cut = text::SplitCut(value);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    const std::string_view shown = cut.shown;
    const bool textAgrees =
        ((shown.empty() ? text.empty() : text.substr(0, shown.size()) == shown) &&
         (cut.wholeLength || text.size() == shown.size() || !whole)) ||
        (!text.empty() && text.size() < shown.size() && shown.substr(0, text.size()) == text &&
         shown.substr(text.size()).starts_with(" ("));
    // Hex digits of the bytes, in pairs or a long run: a UMID, an MD5, a line
    // of the first bytes.
    const std::string hex = text::HexDigits(bytes, text::HexCase::Upper);
    std::string valueDigits;
    for (const char c : value.substr(0, value.find("  "))) {
        if (c != ' ') valueDigits += c;
    }
    const bool laidOut = value.find(' ') != std::string_view::npos || valueDigits.size() >= 32;
    if (laidOut && valueDigits.size() >= 2 && valueDigits.size() % 2 == 0 &&
        valueDigits.find_first_not_of("0123456789ABCDEF") == std::string::npos &&
        hex.compare(0, valueDigits.size(), valueDigits) == 0) {
        return {Rule::HexBytes, true};
    }
    // A number over a field of one, two, four or eight bytes: it must agree,
    // unless the field is a text of digits.
    if (const std::optional<std::int64_t> number = LeadingNumber(value); number && IsNumberLength(length)) {
        const bool agrees =
            whole && (*number == Signed(bytes, bigEndian) ||
                      static_cast<std::uint64_t>(*number) == Unsigned(bytes, bigEndian) ||
                      (length == 4 && static_cast<std::uint64_t>(*number) == Syncsafe(bytes)) ||
                      (length == 8 && static_cast<std::uint64_t>(*number) == LowHalfFirst(bytes, bigEndian)));
        if (agrees || !textAgrees) return {Rule::Number, agrees};
        return {Rule::Text, true};
    }
    // A hex number, or one the value names as unknown ("unknown (0xFFFFFFFF)").
    const std::string_view hexValue = value.starts_with("unknown (0x") ? value.substr(9) : value;
    if (hexValue.substr(0, 2) == "0x" && IsNumberLength(length)) {
        std::uint64_t number = 0;
        const std::string_view digits = hexValue.substr(2, hexValue.find_first_of(" )") - 2);
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
        return {Rule::HexNumber, whole && number == Unsigned(bytes, bigEndian)};
    }
    if (textAgrees) return {Rule::Text, true};
    // Rows of a record shown whole (an XML element's text, an ID3 frame's
    // text, a post timer's usage): the value lies within the bytes.
    const std::string_view start = shown.substr(0, std::min<std::size_t>(shown.find(" at sample "), 64));
    if (!start.empty() && bytes.find(start) != std::string_view::npos) return {Rule::TextWithin, true};
    // An ID3 frame, shown decoded from its text encoding: the frame's id in
    // the label ("Title (TIT2)", or the id alone) is where the range starts.
    const std::size_t open = label.rfind('(');
    const std::string_view id = open != std::string_view::npos && label.ends_with(')')
                                    ? label.substr(open + 1, label.size() - open - 2)
                                    : label;
    // A frame header is 10 bytes, or 6 in ID3v2.2, whose ids have three letters.
    const std::size_t frameHeader = id.size() == 3 ? 6 : 10;
    if ((id.size() == 4 || id.size() == 3) && bytes.size() >= frameHeader && bytes.starts_with(id))
        return {Rule::Frame, true};
    // An XML element without text of its own: its name lies within the XML.
    const std::string_view name = label.substr(label.starts_with('@') ? 1 : 0);
    if (shown.empty() && !name.empty() && bytes.find(name) != std::string_view::npos) {
        return {Rule::TextWithin, true};
    }
    if (IsInWords(label, value)) return {Rule::Described, true};
    return {Rule::Text, false};
}

}  // namespace wavtest::ranges
