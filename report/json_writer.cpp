#include "json_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ostream>
#include <utility>

#include "report/measured_report.h"
#include "report/structure_rows.h"
#include "rows/row_sink.h"
#include "text/cut_text.h"
#include "text/display_text.h"

namespace report {

namespace {

constexpr char kHex[] = "0123456789abcdef";

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
    if (text::IsValidUtf8(raw)) return {};
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

// Whether any byte of `word` (eight bytes read as one number) is below 0x20,
// at 0x7F or above, a quote or a backslash: a byte JSON cannot take as it
// is. A borrow or carry between bytes arises only from such a byte, so the
// answer for the word as a whole is exact.
constexpr bool HasJsonSpecial(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v; };
    const std::uint64_t control = (word - 0x20 * kOnes) & ~word;
    const std::uint64_t high = (word + kOnes) | word;
    return ((control | high | hasZero(word ^ ('"' * kOnes)) | hasZero(word ^ ('\\' * kOnes))) & kHighBits) !=
           0;
}

// Sixteen bytes looked at together; GCC and Clang turn the comparisons into
// a few vector instructions wherever the target has them.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool HasJsonSpecial(Bytes16 bytes) {
    const auto special = (bytes < 0x20) | (bytes >= 0x7F) | (bytes == '"') | (bytes == '\\');
    std::uint64_t halves[2];
    std::memcpy(halves, &special, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

template <typename Number>
Number Load(const char* bytes) {
    Number number;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

// Printable ASCII without quote or backslash goes into JSON as it is. A value
// row checks two strings, and a file of thousands of records makes hundreds
// of thousands of rows, so the bytes are looked at in blocks of fixed size,
// the last block overlapping those before: sixteen at a time, or for a
// shorter string two words of eight or of four.
bool IsPlainJson(std::string_view raw) {
    const char* bytes = raw.data();
    const std::size_t size = raw.size();
    if (size >= sizeof(Bytes16)) {
        for (std::size_t i = 0; i + sizeof(Bytes16) < size; i += sizeof(Bytes16)) {
            if (HasJsonSpecial(Load<Bytes16>(bytes + i))) return false;
        }
        return !HasJsonSpecial(Load<Bytes16>(bytes + size - sizeof(Bytes16)));
    }
    if (size >= 8) {
        return !HasJsonSpecial(Load<std::uint64_t>(bytes)) &&
               !HasJsonSpecial(Load<std::uint64_t>(bytes + size - 8));
    }
    if (size >= 4) {
        return !HasJsonSpecial(std::uint64_t{Load<std::uint32_t>(bytes)} |
                               std::uint64_t{Load<std::uint32_t>(bytes + size - 4)} << 32);
    }
    return std::all_of(raw.begin(), raw.end(), [](char c) {
        return !HasJsonSpecial(0x2020202020202000 | static_cast<unsigned char>(c));
    });
}

// Appends JsonString(raw). Printable ASCII, what most texts are, is copied as
// it is; anything else is read as DisplayUtf8 shows it and escaped.
void AppendJsonString(std::string& out, std::string_view raw) {
    out += '"';
    if (IsPlainJson(raw)) {
        out += raw;
    } else {
        const std::string utf8 = text::DisplayUtf8(raw);
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

// "at": [offset, length], where a row's bytes lie.
void AppendAtMember(std::string& json, const rows::ByteRange& at) {
    json.append("\"at\": [").append(std::to_string(at.offset)).append(", ").append(std::to_string(at.length));
    json += ']';
}

// A value row as ["label", "value"], a heading row as ["text"] (no value);
// a value that is not valid UTF-8 adds its bytes in hex, a cut text
// {"bytes_in_all": N}; a row with a range ends with {"at": [offset, length]},
// in the same object as bytes_in_all when there is one.
void AppendJsonCells(std::string& json, std::string_view label, std::optional<std::string_view> cell,
                     const std::optional<rows::ByteRange>& at) {
    bool objectOpen = false;
    json += '[';
    AppendJsonString(json, label);
    if (cell) {
        const std::string_view value = *cell;
        json += ", ";
        if (IsPlainJson(value)) {
            // Plain ASCII, as most values are: valid UTF-8 without a cut mark.
            json.append(1, '"').append(value).append(1, '"');
        } else if (const text::CutValue cut = text::SplitCut(value); cut.wholeLength) {
            AppendJsonString(json, std::string(cut.shown) + text::CutMarker(*cut.wholeLength));
            if (!text::IsValidUtf8(cut.shown)) json += ", \"" + HexBytes(cut.shown) + "\"";
            json += ", {\"bytes_in_all\": " + std::to_string(*cut.wholeLength);
            objectOpen = true;
        } else {
            AppendJsonString(json, value);
            if (!text::IsValidUtf8(value)) json += ", \"" + HexBytes(value) + "\"";
        }
    }
    if (at) {
        json += objectOpen ? ", " : ", {";
        AppendAtMember(json, *at);
        objectOpen = true;
    }
    if (objectOpen) json += '}';
    json += ']';
}

void AppendJsonRow(std::string& json, std::string_view row, const std::optional<rows::ByteRange>& at) {
    const auto [label, value] = rows::SplitRow(row);
    // A TAB after the label makes a value row.
    AppendJsonCells(json, label, label.size() < row.size() ? std::optional(value) : std::nullopt, at);
}

// , "rows": [...], "error": ... for an entry that has rows.
void AppendEntryRows(std::string& json, const report::StructureRows::Rows& rows) {
    json += ", \"rows\": [";
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        if (i > 0) json += ", ";
        AppendJsonRow(json, rows.rows[i], i < rows.ranges.size() ? rows.ranges[i] : std::nullopt);
    }
    json += "], \"error\": " + JsonStringOrNull(rows.stopped);
}

// Appends the map as JsonStructure gives it to `json`, calling spill(json)
// after each entry: a writer hands on what it holds and clears it, so that
// a map of thousands of entries is never held whole.
template <typename Spill>
void AppendStructure(std::string& json, const wavedoc::StructureMap& structure,
                     const wavedoc::WaveDocument* document, Spill spill) {
    // The map lists a list's sub-chunks right after it, one level deeper; the
    // depths of the lists still open say where each "children" array ends.
    json += "[";
    std::vector<int> open;
    bool first = true;
    std::optional<report::StructureRows> decoded;
    if (document != nullptr) decoded.emplace(*document);
    for (const wavedoc::MapEntry& entry : structure.entries) {
        for (; !open.empty() && entry.depth <= open.back(); open.pop_back()) {
            json += "]}";
            first = false;
        }
        json += first ? "" : ", ";
        AppendEntryMembers(json, entry);
        if (decoded) {
            if (const std::optional<report::StructureRows::Rows> rows = decoded->For(entry))
                AppendEntryRows(json, *rows);
        }
        first = entry.IsList();
        if (entry.IsList()) {
            json += ", \"list_type\": " + JsonString(entry.listType) + ", \"children\": [";
            open.push_back(entry.depth);
        } else {
            json += "}";
        }
        spill(json);
    }
    for (; !open.empty(); open.pop_back()) json += "]}";
    json += "]";
}

}  // namespace

std::string JsonStructure(const wavedoc::StructureMap& structure, const wavedoc::WaveDocument* document) {
    std::string json;
    AppendStructure(json, structure, document, [](const std::string&) {});
    return json;
}

void JsonReportWriter::WriteStructure(const wavedoc::StructureMap& structure,
                                      const wavedoc::WaveDocument* document) {
    std::string json;
    AppendStructure(json, structure, document, [this](std::string& held) {
        if (held.size() < OutputBuffer::kCapacity) return;
        out_.write(held.data(), static_cast<std::streamsize>(held.size()));
        held.clear();
    });
    out_.write(json.data(), static_cast<std::streamsize>(json.size()));
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

std::string HexBytes(std::string_view raw) { return text::HexDigits(raw, text::HexCase::Lower); }

std::string JsonDocumentEnd(bool anyFile, std::string_view summary) {
    std::string end = anyFile ? "\n]" : "]";
    if (!summary.empty()) end += ",\n \"summary\": " + std::string(summary);
    return end + "}\n";
}

JsonReportWriter::JsonReportWriter(std::ostream& out, JsonLayout layout)
    : out_(out), layout_(layout), rows_(out) {
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
         << "\"structure\": ";
    if (overview.structure != nullptr) {
        WriteStructure(*overview.structure, overview.document);
    } else {
        out_ << "[]";
    }
    out_ << Break(",", "   ") << "\"findings\": " << JsonFindings(overview.findings) << Break(",", "   ")
         << "\"finding_counts\": " << JsonFindingCounts(overview.findings) << Break(",", "   ")
         << "\"unfinished\": "
         << (overview.findings.Finished() ? std::string("null") : JsonString(overview.findings.unfinished));
    // Measured only when asked, so that other runs' objects stay as they were.
    if (overview.measured != nullptr) {
        out_ << Break(",", "   ") << "\"measured\": " << JsonMeasured(*overview.measured);
    }
    out_ << Break(",", "   ") << "\"chunks\": [";
}

void JsonReportWriter::Refused(const std::string& path, std::int16_t status, const std::string& reason) {
    BeginFileObject(path, status, reason, {});
    EndFileObject();
}

void JsonReportWriter::BeginFile(const std::string& path, const FileOverview& overview) {
    // A file the chunk list refuses is still mapped and checked here: its
    // status is that of a file read, the refusal its "error".
    BeginFileObject(path, wavedoc::LoadOk, overview.refusal, overview);
    firstChunk_ = true;
}

void JsonReportWriter::BeginChunk(const ListedChunk& chunk) {
    out_ << Break(firstChunk_ ? "" : ",", "    ") << "{\"name\": " << JsonString(chunk.name)
         << BytesMember("name", chunk.name) << ", \"size\": " << chunk.size << ", \"rows\": [";
    firstChunk_ = false;
    firstRow_ = true;
}

void JsonReportWriter::AppendValue(std::string_view label, std::string_view value) {
    if (IsPlainJson(label) && IsPlainJson(value)) {
        AppendPlainRow(label, value);
    } else if (label.find('\t') != std::string_view::npos) {
        // A label with a TAB of its own splits where the row's first TAB is.
        rows::RowSink::AppendValue(label, value);
    } else {
        AppendEscapedRow(RowSeparator(), label, value);
    }
}

void JsonReportWriter::AppendNumber(std::string_view label, std::int64_t value) {
    if (!IsPlainJson(label)) {
        rows::RowSink::AppendNumber(label, value);
        return;
    }
    // The digits are plain by their nature: only the label needs looking at.
    std::array<char, 24> digits{};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    AppendPlainRow(label,
                   std::string_view(digits.data(), static_cast<std::size_t>(written.ptr - digits.data())));
}

void JsonReportWriter::AppendRow(std::string_view row) {
    const auto [label, value] = rows::SplitRow(row);
    // A TAB after the label makes a value row.
    const std::optional<std::string_view> cell =
        label.size() < row.size() ? std::optional(value) : std::nullopt;
    if (IsPlainJson(label) && (!cell || IsPlainJson(*cell))) {
        AppendPlainRow(label, cell);
        return;
    }
    AppendEscapedRow(RowSeparator(), label, cell);
}

void JsonReportWriter::AppendPlainRow(std::string_view label, std::optional<std::string_view> value) {
    // ["label", "value"] or ["text"], its parts copied straight into the buffer.
    const std::string_view separator = RowSeparator();
    if (Range()) {
        // A row with a range is written whole, then handed over.
        AppendEscapedRow(separator, label, value);
        return;
    }
    const std::size_t size = separator.size() + label.size() + (value ? value->size() + 8 : 4);
    char* out = rows_.Room(size);
    if (out == nullptr) {
        AppendEscapedRow(separator, label, value);
        return;
    }
    out = OutputBuffer::Put(out, separator);
    out = OutputBuffer::Put(out, "[\"");
    out = OutputBuffer::Put(out, label);
    if (value) {
        out = OutputBuffer::Put(out, "\", \"");
        out = OutputBuffer::Put(out, *value);
    }
    rows_.Commit(OutputBuffer::Put(out, "\"]"));
}

void JsonReportWriter::AppendEscapedRow(std::string_view separator, std::string_view label,
                                        std::optional<std::string_view> value) {
    std::string row(separator);
    AppendJsonCells(row, label, value, Range());
    rows_.Append(row);
}

std::string_view JsonReportWriter::RowSeparator() {
    const bool first = std::exchange(firstRow_, false);
    if (layout_ == JsonLayout::Line) return first ? "" : ", ";
    return first ? "\n      " : ",\n      ";
}

void JsonReportWriter::EndChunk(const std::optional<std::string>& error) {
    rows_.Flush();
    out_ << (firstRow_ ? "" : Break("", "    ")) << "], \"error\": " << JsonStringOrNull(error) << "}";
}

void JsonReportWriter::EndFile() {
    out_ << (firstChunk_ ? "" : Break("", "  "));
    EndFileObject();
}

void JsonReportWriter::Finish() { out_ << JsonDocumentEnd(!firstFile_); }

}  // namespace report
