#include "text_report.h"

#include <ostream>

#include "ui/detail/display_text.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Characters that show nothing or change how the text around them reads.
bool IsInvisibleOrDirectional(char32_t c) {
    return c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

bool NeedsEscape(char32_t c) {
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == '\\' || IsInvisibleOrDirectional(c);
}

void AppendEscape(std::string& text, char32_t c) {
    text += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(c >> shift) & 0xF];
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

}  // namespace

std::string TerminalText(std::string_view raw) { return EscapeForTerminal(DisplayUtf8(raw)); }

std::string TerminalPath(std::string_view path) { return EscapeForTerminal(path); }

void TextReportWriter::Refused(const std::string& /*path*/, std::int16_t /*status*/, const std::string& reason) {
    errors_ << "ondulo-dump: " << TerminalText(reason) << '\n';
}

void TextReportWriter::BeginFile(const std::string& path, const std::vector<ListedChunk>& chunks,
                                 const std::vector<std::string>& notes) {
    if (!firstFile_) out_ << '\n';
    firstFile_ = false;
    out_ << TerminalPath(path) << '\n';
    for (const ListedChunk& chunk : chunks) out_ << TerminalText(chunk.name) << '\t' << chunk.size << '\n';
    for (const std::string& note : notes) out_ << "! " << TerminalText(note) << '\n';
}

void TextReportWriter::BeginChunk(const ListedChunk& chunk) { out_ << "\n[" << TerminalText(chunk.name) << "]\n"; }

void TextReportWriter::AppendRow(std::string row) { out_ << TerminalText(row) << '\n'; }

void TextReportWriter::EndChunk(const std::optional<std::string>& error) {
    if (error) out_ << "! " << TerminalText(*error) << '\n';
}
