#include "json_writer.h"

#include <ostream>

#include "ui/detail/display_text.h"
#include "ui/detail/row_sink.h"

namespace {

std::string JsonStringOrNull(const std::optional<std::string>& raw) {
    return raw ? JsonString(*raw) : "null";
}

// A value row as ["label", "value"], a heading row as ["text"].
std::string JsonRow(std::string_view row) {
    if (row.find('\t') == std::string_view::npos) return "[" + JsonString(row) + "]";
    const auto [label, value] = SplitRow(row);
    return "[" + JsonString(label) + ", " + JsonString(value) + "]";
}

void WriteChunk(std::ostream& out, const ChunkReport& chunk) {
    out << "    {\"name\": " << JsonString(chunk.name) << ", \"size\": " << chunk.size << ", \"rows\": [";
    for (std::size_t i = 0; i < chunk.rows.size(); ++i) {
        out << (i == 0 ? "\n" : ",\n") << "      " << JsonRow(chunk.rows[i]);
    }
    out << (chunk.rows.empty() ? "" : "\n    ") << "], \"error\": " << JsonStringOrNull(chunk.error) << "}";
}

}  // namespace

std::string JsonString(std::string_view raw) {
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string utf8 = DisplayUtf8(raw);
    std::string json = "\"";
    json.reserve(utf8.size() + 2);
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
        } else {
            json += c;
        }
    }
    json += '"';
    return json;
}

JsonReportWriter::JsonReportWriter(std::ostream& out) : out_(out) { out_ << "{\"files\": ["; }

void JsonReportWriter::Add(const FileReport& report) {
    out_ << (firstFile_ ? "\n" : ",\n");
    firstFile_ = false;
    const std::optional<std::string> error =
        report.error.empty() ? std::nullopt : std::optional<std::string>(report.error);
    out_ << "  {\"path\": " << JsonString(report.path) << ", \"status\": " << report.status
         << ", \"error\": " << JsonStringOrNull(error) << ", \"notes\": [";
    for (std::size_t i = 0; i < report.notes.size(); ++i)
        out_ << (i == 0 ? "" : ", ") << JsonString(report.notes[i]);
    out_ << "], \"chunks\": [";
    for (std::size_t i = 0; i < report.chunks.size(); ++i) {
        out_ << (i == 0 ? "\n" : ",\n");
        WriteChunk(out_, report.chunks[i]);
    }
    out_ << (report.chunks.empty() ? "" : "\n  ") << "]}";
}

void JsonReportWriter::Finish() { out_ << (firstFile_ ? "" : "\n") << "]}\n"; }
