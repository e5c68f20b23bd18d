#include "text_report.h"

#include <ostream>

#include "ui/detail/display_text.h"

namespace {

void AppendCodePointEscape(std::string& text, unsigned int codePoint) {
    static constexpr char kHex[] = "0123456789abcdef";
    text += "\\u00";
    text += kHex[(codePoint >> 4) & 0xF];
    text += kHex[codePoint & 0xF];
}

}  // namespace

std::string TerminalText(std::string_view raw) {
    const std::string utf8 = DisplayUtf8(raw);
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool c1Control = byte == 0xC2 && i + 1 < utf8.size() &&
                               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            AppendCodePointEscape(text, byte);
        } else if (c1Control) {
            AppendCodePointEscape(text, static_cast<unsigned char>(utf8[++i]));
        } else {
            text += utf8[i];
        }
    }
    return text;
}

void TextReportWriter::Add(const FileReport& report) {
    if (report.status != 0) {
        errors_ << "ondulo-dump: " << TerminalText(report.error) << '\n';
        return;
    }
    if (!firstFile_) out_ << '\n';
    firstFile_ = false;
    out_ << TerminalText(report.path) << '\n';
    for (const ChunkReport& chunk : report.chunks) {
        out_ << TerminalText(chunk.name) << '\t' << chunk.size << '\n';
    }
    for (const std::string& note : report.notes) out_ << "! " << TerminalText(note) << '\n';
    for (const ChunkReport& chunk : report.chunks) {
        out_ << "\n[" << TerminalText(chunk.name) << "]\n";
        for (const std::string& row : chunk.rows) out_ << TerminalText(row) << '\n';
        if (chunk.error) out_ << "! " << TerminalText(*chunk.error) << '\n';
    }
}
