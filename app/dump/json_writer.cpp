#include "json_writer.h"

#include <algorithm>
#include <array>
#include <ostream>

#include "chunkinfo/structure_rows.h"
#include "ui/detail/cut_text.h"
#include "ui/detail/display_text.h"
#include "ui/detail/row_sink.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";
// How many bytes of rows are gathered before they are written.
constexpr std::size_t kRowsWrittenAtOnce = 64 * 1024;

std::string JsonStringOrNull(const std::optional<std::string>& raw) {
    return raw ? JsonString(*raw) : "null";
}

// ["a", "b"]: an array of strings.
std::string JsonStrings(const std::vector<std::string>& raw) {
    std::string json = "[";
    for (std::size_t i = 0; i < raw.size(); ++i) json += (i == 0 ? "" : ", ") + JsonString(raw[i]);
    return json + "]";
}

void AppendJsonString(std::string& out, std::string_view raw);

// , "key_bytes": "hex" after a string that is not valid UTF-8.
std::string BytesMember(std::string_view key, std::string_view raw) {
    if (IsValidUtf8(raw)) return {};
    return ", \"" + std::string(key) + "_bytes\": \"" + HexBytes(raw) + "\"";
}

// , "key": number; appended piece by piece, as a map holds thousands of entries.
void AppendNumberMember(std::string& json, std::string_view key, std::uint64_t value) {
    json.append(", \"").append(key).append("\": ").append(std::to_string(value));
}

void AppendFlagMember(std::string& json, std::string_view key, bool value) {
    json.append(", \"").append(key).append(value ? "\": true" : "\": false");
}

// The members of one entry, without the closing brace: a list goes on with
// its children.
void AppendEntryMembers(std::string& json, const wavedoc::MapEntry& entry) {
    json.append("{\"offset\": ").append(std::to_string(entry.offset));
    if (entry.IsChunk()) {
        json += ", \"id\": ";
        AppendJsonString(json, entry.id);
        json += BytesMember("id", entry.id);
        AppendNumberMember(json, "size", entry.size);
        if (entry.ds64Size) AppendNumberMember(json, "ds64_size", *entry.ds64Size);
        AppendNumberMember(json, "present", entry.present);
        AppendFlagMember(json, "pad", entry.pad == wavedoc::PadByte::Present);
        if (entry.pad == wavedoc::PadByte::Missing) AppendFlagMember(json, "pad_missing", true);
        AppendFlagMember(json, "listed", entry.listing == wavedoc::Listing::Listed);
    } else {
        json += ", \"id\": null";
        AppendNumberMember(json, "length", entry.length);
        if (entry.stray == wavedoc::Stray::Unmapped) AppendNumberMember(json, "entries", entry.leftOut);
    }
    if (entry.listing != wavedoc::Listing::Listed || entry.notWalked) {
        json += ", \"why\": ";
        AppendJsonString(json, entry.Why());
    }
    if (entry.afterRiffEnd) AppendFlagMember(json, "after_riff_end", true);
}

// Printable ASCII without quote or backslash goes into JSON as it is.
constexpr std::array<bool, 256> kPlainJsonBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool IsPlainJson(std::string_view raw) {
    return std::all_of(raw.begin(), raw.end(),
                       [](char c) { return kPlainJsonBytes[static_cast<unsigned char>(c)]; });
}

// Appends JsonString(raw). Printable ASCII, what most texts are, is copied as
// it is; anything else is read as DisplayUtf8 shows it and escaped.
void AppendJsonString(std::string& out, std::string_view raw) {
    out += '"';
    if (IsPlainJson(raw)) {
        out += raw;
    } else {
        const std::string utf8 = DisplayUtf8(raw);
        out.reserve(out.size() + utf8.size() + 1);
        for (const char c : utf8) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// A value row as ["label", "value"], a heading row as ["text"] (no value);
// a value that is not valid UTF-8 adds its bytes in hex, a cut text
// {"bytes_in_all": N}.
void AppendJsonCells(std::string& json, std::string_view label, std::optional<std::string_view> cell) {
    json += '[';
    AppendJsonString(json, label);
    if (cell) {
        const std::string_view value = *cell;
        json += ", ";
        if (IsPlainJson(value)) {
            // Plain ASCII, as most values are: valid UTF-8 without a cut mark.
            json.append(1, '"').append(value).append(1, '"');
        } else if (const CutValue cut = SplitCut(value); cut.wholeLength) {
            AppendJsonString(json, std::string(cut.shown) + CutMarker(*cut.wholeLength));
            if (!IsValidUtf8(cut.shown)) json += ", \"" + HexBytes(cut.shown) + "\"";
            json += ", {\"bytes_in_all\": " + std::to_string(*cut.wholeLength) + "}";
        } else {
            AppendJsonString(json, value);
            if (!IsValidUtf8(value)) json += ", \"" + HexBytes(value) + "\"";
        }
    }
    json += ']';
}

void AppendJsonRow(std::string& json, std::string_view row) {
    const auto [label, value] = SplitRow(row);
    // A TAB after the label makes a value row.
    AppendJsonCells(json, label, label.size() < row.size() ? std::optional(value) : std::nullopt);
}

// , "rows": [...], "error": ... for an entry that has rows.
void AppendEntryRows(std::string& json, const chunkinfo::StructureRows::Rows& rows) {
    json += ", \"rows\": [";
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        if (i > 0) json += ", ";
        AppendJsonRow(json, rows.rows[i]);
    }
    json += "], \"error\": " + JsonStringOrNull(rows.stopped);
}

}  // namespace

std::string JsonStructure(const wavedoc::StructureMap& structure, const wavedoc::WaveDocument* document) {
    // The map lists a list's sub-chunks right after it, one level deeper; the
    // depths of the lists still open say where each "children" array ends.
    std::string json = "[";
    std::vector<int> open;
    bool first = true;
    std::optional<chunkinfo::StructureRows> decoded;
    if (document != nullptr) decoded.emplace(*document);
    for (const wavedoc::MapEntry& entry : structure.entries) {
        for (; !open.empty() && entry.depth <= open.back(); open.pop_back()) {
            json += "]}";
            first = false;
        }
        json += first ? "" : ", ";
        AppendEntryMembers(json, entry);
        if (decoded) {
            if (const std::optional<chunkinfo::StructureRows::Rows> rows = decoded->For(entry))
                AppendEntryRows(json, *rows);
        }
        first = entry.IsList();
        if (entry.IsList()) {
            json += ", \"list_type\": " + JsonString(entry.listType) + ", \"children\": [";
            open.push_back(entry.depth);
        } else {
            json += "}";
        }
    }
    for (; !open.empty(); open.pop_back()) json += "]}";
    return json + "]";
}

std::string JsonFindings(const wavecheck::Findings& checked) {
    const std::vector<wavecheck::Finding>& findings = checked.shown;
    std::string json = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const wavecheck::Finding& finding = findings[i];
        json += std::string(i == 0 ? "" : ", ") + "{\"code\": " + JsonString(finding.code) +
                ", \"level\": " + JsonString(wavecheck::LevelName(finding.level)) +
                ", \"offset\": " + std::to_string(finding.offset) +
                ", \"chunk_offset\": " + std::to_string(finding.chunkOffset) +
                ", \"chunk\": " + (finding.chunk.empty() ? "null" : JsonString(finding.chunk)) +
                ", \"message\": " + JsonString(finding.message) + "}";
    }
    return json + "]";
}

std::string JsonFindingCounts(const wavecheck::Findings& findings) {
    std::string json = "{\"error\": " + std::to_string(findings.errors) +
                       ", \"warning\": " + std::to_string(findings.warnings) +
                       ", \"note\": " + std::to_string(findings.notes) + ", \"by_code\": {";
    for (std::size_t i = 0; i < findings.counts.size(); ++i) {
        json += std::string(i == 0 ? "" : ", ") + JsonString(findings.counts[i].code) + ": " +
                std::to_string(findings.counts[i].total);
    }
    return json + "}}";
}

std::string JsonString(std::string_view raw) {
    std::string json;
    AppendJsonString(json, raw);
    return json;
}

std::string HexBytes(std::string_view raw) { return HexDigits(raw, HexCase::Lower); }

std::string JsonDocumentEnd(bool anyFile, std::string_view summary) {
    std::string end = anyFile ? "\n]" : "]";
    if (!summary.empty()) end += ",\n \"summary\": " + std::string(summary);
    return end + "}\n";
}

JsonReportWriter::JsonReportWriter(std::ostream& out, JsonLayout layout) : out_(out), layout_(layout) {
    if (layout_ == JsonLayout::Document) out_ << kJsonDocumentStart;
}

std::string JsonReportWriter::Break(std::string_view separator, std::string_view indent) const {
    std::string text(separator);
    if (layout_ != JsonLayout::Line) {
        text += '\n';
        text += indent;
    } else if (!separator.empty()) {
        text += ' ';
    }
    return text;
}

void JsonReportWriter::EndFileObject() {
    out_ << "]}";
    if (layout_ == JsonLayout::Line) out_ << '\n';
}

void JsonReportWriter::BeginFileObject(const std::string& path, std::int16_t status, const std::string& error,
                                       const FileOverview& overview) {
    out_ << Break(layout_ == JsonLayout::Document && !firstFile_ ? "," : "", "  ");
    firstFile_ = false;
    out_ << "{\"path\": " << JsonString(path) << BytesMember("path", path) << ", \"status\": " << status
         << ", \"error\": " << (error.empty() ? "null" : JsonString(error))
         << ", \"notes\": " << JsonStrings(overview.notes)
         << ", \"also_in_file\": " << JsonStrings(overview.alsoInFile) << Break(",", "   ")
         << "\"structure\": "
         << (overview.structure != nullptr ? JsonStructure(*overview.structure, overview.document)
                                           : std::string("[]"))
         << Break(",", "   ") << "\"findings\": " << JsonFindings(overview.findings) << Break(",", "   ")
         << "\"finding_counts\": " << JsonFindingCounts(overview.findings) << Break(",", "   ")
         << "\"unfinished\": "
         << (overview.findings.Finished() ? std::string("null") : JsonString(overview.findings.unfinished))
         << Break(",", "   ") << "\"chunks\": [";
}

void JsonReportWriter::Refused(const std::string& path, std::int16_t status, const std::string& reason) {
    BeginFileObject(path, status, reason, {});
    EndFileObject();
}

void JsonReportWriter::BeginFile(const std::string& path, const FileOverview& overview) {
    BeginFileObject(path, overview.refusal.empty() ? wavedoc::LoadOk : wavedoc::LoadNotRiff, overview.refusal,
                    overview);
    firstChunk_ = true;
}

void JsonReportWriter::BeginChunk(const ListedChunk& chunk) {
    out_ << Break(firstChunk_ ? "" : ",", "    ") << "{\"name\": " << JsonString(chunk.name)
         << BytesMember("name", chunk.name) << ", \"size\": " << chunk.size << ", \"rows\": [";
    firstChunk_ = false;
    firstRow_ = true;
}

void JsonReportWriter::AppendValue(std::string_view label, std::string_view value) {
    // A label with a TAB of its own splits where the row's first TAB is.
    if (label.find('\t') != std::string_view::npos) {
        RowSink::AppendValue(label, value);
        return;
    }
    StartRow();
    AppendJsonCells(rows_, label, value);
    if (rows_.size() >= kRowsWrittenAtOnce) FlushRows();
}

void JsonReportWriter::AppendRow(std::string_view row) {
    StartRow();
    AppendJsonRow(rows_, row);
    if (rows_.size() >= kRowsWrittenAtOnce) FlushRows();
}

void JsonReportWriter::StartRow() {
    if (!firstRow_) rows_ += ',';
    if (layout_ != JsonLayout::Line) {
        rows_ += "\n      ";
    } else if (!firstRow_) {
        rows_ += ' ';
    }
    firstRow_ = false;
}

void JsonReportWriter::FlushRows() {
    out_.write(rows_.data(), static_cast<std::streamsize>(rows_.size()));
    rows_.clear();
}

void JsonReportWriter::EndChunk(const std::optional<std::string>& error) {
    FlushRows();
    out_ << (firstRow_ ? "" : Break("", "    ")) << "], \"error\": " << JsonStringOrNull(error) << "}";
}

void JsonReportWriter::EndFile() {
    out_ << (firstChunk_ ? "" : Break("", "  "));
    EndFileObject();
}

void JsonReportWriter::Finish() { out_ << JsonDocumentEnd(!firstFile_); }
