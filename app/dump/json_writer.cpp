#include "json_writer.h"

#include <ostream>

#include "ui/detail/display_text.h"
#include "ui/detail/row_sink.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string JsonStringOrNull(const std::optional<std::string>& raw) { return raw ? JsonString(*raw) : "null"; }

// , "key_bytes": "hex" after a string that is not valid UTF-8.
std::string BytesMember(std::string_view key, std::string_view raw) {
    if (IsValidUtf8(raw)) return {};
    return ", \"" + std::string(key) + "_bytes\": \"" + HexBytes(raw) + "\"";
}

}  // namespace

std::string JsonString(std::string_view raw) {
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

std::string HexBytes(std::string_view raw) {
    std::string hex;
    hex.reserve(raw.size() * 2);
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0xF];
    }
    return hex;
}

JsonReportWriter::JsonReportWriter(std::ostream& out) : out_(out) { out_ << "{\"files\": ["; }

void JsonReportWriter::BeginFileObject(const std::string& path, std::int16_t status, const std::string& error) {
    out_ << (firstFile_ ? "\n" : ",\n");
    firstFile_ = false;
    out_ << "  {\"path\": " << JsonString(path) << BytesMember("path", path) << ", \"status\": " << status
         << ", \"error\": " << (error.empty() ? "null" : JsonString(error)) << ", \"notes\": [";
}

void JsonReportWriter::Refused(const std::string& path, std::int16_t status, const std::string& reason) {
    BeginFileObject(path, status, reason);
    out_ << "], \"chunks\": []}";
}

void JsonReportWriter::BeginFile(const std::string& path, const std::vector<ListedChunk>& /*chunks*/,
                                 const std::vector<std::string>& notes) {
    BeginFileObject(path, 0, "");
    for (std::size_t i = 0; i < notes.size(); ++i) out_ << (i == 0 ? "" : ", ") << JsonString(notes[i]);
    out_ << "], \"chunks\": [";
    firstChunk_ = true;
}

void JsonReportWriter::BeginChunk(const ListedChunk& chunk) {
    out_ << (firstChunk_ ? "\n" : ",\n") << "    {\"name\": " << JsonString(chunk.name)
         << BytesMember("name", chunk.name) << ", \"size\": " << chunk.size << ", \"rows\": [";
    firstChunk_ = false;
    firstRow_ = true;
}

// A value row as ["label", "value"], a heading row as ["text"].
void JsonReportWriter::AppendRow(std::string row) {
    out_ << (firstRow_ ? "\n" : ",\n") << "      [";
    firstRow_ = false;
    const auto [label, value] = SplitRow(row);
    out_ << JsonString(label);
    if (row.find('\t') != std::string::npos) {
        out_ << ", " << JsonString(value);
        if (!IsValidUtf8(value)) out_ << ", \"" << HexBytes(value) << "\"";
    }
    out_ << "]";
}

void JsonReportWriter::EndChunk(const std::optional<std::string>& error) {
    out_ << (firstRow_ ? "" : "\n    ") << "], \"error\": " << JsonStringOrNull(error) << "}";
}

void JsonReportWriter::EndFile() { out_ << (firstChunk_ ? "" : "\n  ") << "]}"; }

void JsonReportWriter::Finish() { out_ << (firstFile_ ? "" : "\n") << "]}\n"; }
