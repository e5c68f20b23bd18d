#include "text/escaped_text.h"

#include <algorithm>
#include <array>

#include "text/display_text.h"
#include "text/invisible_characters.h"

namespace text {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Control characters (but TAB), the backslash that starts every escape, the
// line and paragraph separators that break the line, and whatever has no
// visible glyph of its own.
bool NeedsEscape(char32_t c) {
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == '\\' || c == 0x2028 || c == 0x2029 ||
           HasNoVisibleGlyph(c);
}

// \uXXXX, or \UXXXXXXXX for a code point above U+FFFF.
void AppendEscape(std::string& text, char32_t c) {
    const int digits = c > 0xFFFF ? 8 : 4;
    text += digits == 8 ? "\\U" : "\\u";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kHex[(c >> shift) & 0xF];
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at `at`.
char32_t DecodeAt(std::string_view utf8, std::size_t at, std::size_t length) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (length == 1) return lead;
    char32_t c = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
    return c;
}

// Copies text, escaping what NeedsEscape names; a byte that starts no UTF-8
// sequence is written as \xHH.
std::string EscapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(text[at++]);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            continue;
        }
        const char32_t c = DecodeAt(text, at, length);
        if (NeedsEscape(c)) {
            AppendEscape(out, c);
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out;
}

// The bytes of plain text. Most rows are plain, and a file can print
// hundreds of thousands of them.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) plain[static_cast<std::size_t>(c)] = c != '\\';
    plain['\t'] = true;
    return plain;
}();

}  // namespace

bool IsPlainText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return kPlainBytes[static_cast<unsigned char>(c)]; });
}

std::string TerminalText(std::string_view raw) {
    if (IsPlainText(raw)) return std::string(raw);
    return EscapeForTerminal(DisplayUtf8(raw));
}

std::string TerminalPath(std::string_view path) { return EscapeForTerminal(path); }

bool HasHiddenCharacters(std::string_view raw) {
    if (IsPlainText(raw)) return false;
    const std::string text = DisplayUtf8(raw);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return true;  // DisplayUtf8 gives none such
        const char32_t c = DecodeAt(text, at, length);
        if (c != '\\' && NeedsEscape(c)) return true;
        at += length;
    }
    return false;
}

}  // namespace text
