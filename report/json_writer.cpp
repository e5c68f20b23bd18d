#include "json_writer.h"

#include <ostream>
#include <utility>

#include "report/json_text.h"
#include "report/measured_report.h"
#include "report/structure_rows.h"
#include "rows/row_sink.h"
#include "text/cut_text.h"
#include "text/display_text.h"

namespace report {

namespace {

std::string JsonStringOrNull(const std::optional<std::string>& raw) {
    return raw ? JsonString(*raw) : "null";
}

// ["a", "b"]: an array of strings.
std::string JsonStrings(const std::vector<std::string>& raw) {
    std::string json = "[";
    for (std::size_t i = 0; i < raw.size(); ++i) json += (i == 0 ? "" : ", ") + JsonString(raw[i]);
    return json + "]";
}

// The load's notes, after why the chunk list is empty (it refuses the file).
std::vector<std::string> NotesWithRefusal(const FileOverview& overview) {
    std::vector<std::string> notes{overview.refusal};
    notes.insert(notes.end(), overview.notes.begin(), overview.notes.end());
    return notes;
}

// , "key_bytes": "hex" after a string that is not valid UTF-8.
std::string BytesMember(std::string_view key, std::string_view raw) {
    if (text::IsValidUtf8(raw)) return {};
    return ", \"" + std::string(key) + "_bytes\": \"" + HexBytes(raw) + "\"";
}

// , "key": number; appended piece by piece, as a map holds thousands of entries.
void AppendNumberMember(std::string& json, std::string_view key, std::uint64_t value) {
    json.append(", \"").append(key).append("\": ");
    AppendDecimal(json, value);
}

void AppendFlagMember(std::string& json, std::string_view key, bool value) {
    json.append(", \"").append(key).append(value ? "\": true" : "\": false");
}

// The members of one entry, without the closing brace: a list goes on with
// its children.
void AppendEntryMembers(std::string& json, const wavedoc::MapEntry& entry) {
    json.append("{\"offset\": ");
    AppendDecimal(json, entry.offset);
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

// "at": [offset, length], where a row's bytes lie.
void AppendAtMember(std::string& json, const rows::ByteRange& at) {
    json.append("\"at\": [");
    AppendDecimal(json, at.offset);
    json.append(", ");
    AppendDecimal(json, at.length);
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
        if (AppendPlainJsonString(json, value)) {
            // Plain ASCII, as most values are: valid UTF-8 without a cut mark.
        } else if (const text::CutValue cut = text::SplitCut(value); cut.wholeLength) {
            AppendJsonString(json, std::string(cut.shown) + text::CutMarker(*cut.wholeLength));
            if (!text::IsValidUtf8(cut.shown)) json.append(", \"").append(HexBytes(cut.shown)).append("\"");
            json += ", {\"bytes_in_all\": ";
            AppendDecimal(json, *cut.wholeLength);
            objectOpen = true;
        } else {
            AppendJsonString(json, value);
            if (!text::IsValidUtf8(value)) json.append(", \"").append(HexBytes(value)).append("\"");
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
    json += "], \"error\": ";
    json += JsonStringOrNull(rows.stopped);
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
            json += ", \"list_type\": ";
            AppendJsonString(json, entry.listType);
            json += ", \"children\": [";
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
    std::string json = "[";
    for (const wavecheck::Finding& finding : checked.shown) {
        json += json.size() == 1 ? "{\"code\": " : ", {\"code\": ";
        AppendJsonString(json, finding.code);
        json += ", \"level\": ";
        AppendJsonString(json, wavecheck::LevelName(finding.level));
        json += ", \"offset\": ";
        AppendDecimal(json, finding.offset);
        json += ", \"chunk_offset\": ";
        AppendDecimal(json, finding.chunkOffset);
        json += ", \"chunk\": ";
        if (finding.chunk.empty()) {
            json += "null";
        } else {
            AppendJsonString(json, finding.chunk);
        }
        json += ", \"message\": ";
        AppendJsonString(json, finding.message);
        json += '}';
    }
    return json + "]";
}

std::string JsonFindingCounts(const wavecheck::Findings& findings) {
    std::string json = "{\"error\": ";
    AppendDecimal(json, findings.errors);
    json += ", \"warning\": ";
    AppendDecimal(json, findings.warnings);
    json += ", \"note\": ";
    AppendDecimal(json, findings.notes);
    json += ", \"by_code\": {";
    for (std::size_t i = 0; i < findings.counts.size(); ++i) {
        if (i > 0) json += ", ";
        AppendJsonString(json, findings.counts[i].code);
        json += ": ";
        AppendDecimal(json, findings.counts[i].total);
    }
    return json + "}}";
}

std::string JsonDocumentEnd(bool anyFile, std::string_view summary) {
    std::string end = anyFile ? "\n]" : "]";
    if (!summary.empty()) end += ",\n \"summary\": " + std::string(summary);
    return end + "}\n";
}

std::string JsonMeasured(const sound::Measurement& measured) {
    if (!measured.Measured()) return "{\"unmeasured\": " + JsonString(measured.unmeasured) + "}";
    const sound::SampleFormat& format = measured.format;
    const std::string seconds = SecondsText(measured);
    std::string json = "{\"unmeasured\": null, \"format\": " + JsonString(format.Name()) +
                       ", \"channels\": " + std::to_string(format.channels) +
                       ", \"sample_rate\": " + std::to_string(format.sampleRate) +
                       ", \"frames\": " + std::to_string(measured.frames) +
                       ", \"seconds\": " + (seconds.empty() ? "null" : seconds) + ", \"loudness\": ";
    if (measured.loudness) {
        json += "{";
        const std::vector<LoudnessFigure> figures = LoudnessFigures(*measured.loudness);
        std::string notGiven;
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const LoudnessFigure& figure = figures[i];
            json += std::string(i == 0 ? "" : ", ") + "\"" + figure.json +
                    "\": " + (figure.value ? DecibelText(*figure.value, "null") : "null");
            if (!figure.notGiven.empty()) {
                notGiven += std::string(notGiven.empty() ? "" : ", ") + "\"" + figure.json +
                            "\": " + JsonString(figure.notGiven);
            }
        }
        json += ", \"range_judged\": " + std::string(measured.loudness->rangeJudged ? "true" : "false") +
                ", \"null_because\": {" + notGiven + "}, \"left_out\": [";
        const std::vector<std::string> leftOut = LeftOutOfLoudness(measured);
        for (std::size_t i = 0; i < leftOut.size(); ++i)
            json += (i == 0 ? "" : ", ") + JsonString(leftOut[i]);
        json += "]}, \"loudness_unmeasured\": null";
    } else {
        json += "null, \"loudness_unmeasured\": " + JsonString(measured.loudnessUnmeasured);
    }
    json += ", \"channel_peaks\": [";
    for (std::size_t c = 0; c < measured.channels.size(); ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        const sound::NotFinite notFinite =
            c < measured.notFinite.size() ? measured.notFinite[c] : sound::NotFinite{};
        json += std::string(c == 0 ? "" : ", ") + "{\"channel\": " + std::to_string(c + 1) +
                ", \"sample_peak\": " + LinearText(channel.peak) +
                ", \"sample_peak_dbfs\": " + DecibelText(PeakDecibels(channel.peak), "null") +
                ", \"peak_frame\": " + std::to_string(channel.peakFrame) +
                ", \"clipped\": " + std::to_string(channel.clipped) +
                ", \"nan\": " + std::to_string(notFinite.notANumber) +
                ", \"infinite\": " + std::to_string(notFinite.infinite) + "}";
    }
    return json + "], \"stopped\": " + (measured.stopped ? "true" : "false") + "}";
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
         << ", \"error\": " << (error.empty() ? "null" : JsonString(error)) << ", \"notes\": "
         << (overview.refusal.empty() ? JsonStrings(overview.notes) : JsonStrings(NotesWithRefusal(overview)))
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
    // A file the chunk list refuses (RF64, BW64, RIFX) is still read, mapped
    // and checked: no fault of the file, so its status is that of a file read
    // and its "error" null; why its "chunks" are empty is the first note.
    BeginFileObject(path, wavedoc::LoadOk, {}, overview);
    firstChunk_ = true;
}

void JsonReportWriter::BeginChunk(const ListedChunk& chunk) {
    out_ << Break(firstChunk_ ? "" : ",", "    ") << "{\"name\": " << JsonString(chunk.name)
         << BytesMember("name", chunk.name) << ", \"size\": " << chunk.size << ", \"rows\": [";
    firstChunk_ = false;
    firstRow_ = true;
}

void JsonReportWriter::AppendValue(std::string_view label, std::string_view value) { WriteRow(label, value); }

void JsonReportWriter::AppendNumber(std::string_view label, std::int64_t value) {
    // The digits are plain by their nature: only the label needs looking at.
    char digits[OutputBuffer::kMostDecimalBytes];
    WriteRow(label, std::string_view(digits, OutputBuffer::PutDecimal(digits, value)));
}

void JsonReportWriter::AppendRow(std::string_view row) {
    const auto [label, value] = rows::SplitRow(row);
    // A TAB after the label makes a value row.
    WriteRow(label, label.size() < row.size() ? std::optional(value) : std::nullopt);
}

namespace {

// The most bytes of a row beyond its label and value: the brackets, quotes
// and comma around them and {"at": [offset, length]} with two numbers.
constexpr std::size_t kMostRowFrame = 32 + 2 * OutputBuffer::kMostDecimalBytes;

// , {"at": [offset, length]}], the end of a row with a range, or ].
char* PutRowEnd(char* out, const std::optional<rows::ByteRange>& at) {
    if (at) {
        out = OutputBuffer::Put(out, ", {\"at\": [");
        out = OutputBuffer::PutDecimal(out, at->offset);
        out = OutputBuffer::Put(out, ", ");
        out = OutputBuffer::PutDecimal(out, at->length);
        out = OutputBuffer::Put(out, "]}");
    }
    *out = ']';
    return out + 1;
}

}  // namespace

void JsonReportWriter::WriteRow(std::string_view label, std::optional<std::string_view> value) {
    // ["label", "value"] or ["text"], then the range: plain text, as most
    // rows are, is looked at as it is copied straight into the buffer.
    const std::string_view separator = RowSeparator();
    const std::size_t most = separator.size() + label.size() + (value ? value->size() : 0) + kMostRowFrame;
    if (char* out = rows_.Room(most)) {
        out = OutputBuffer::Put(OutputBuffer::Put(out, separator), "[\"");
        out = OutputBuffer::PutPlain(out, label);
        if (out != nullptr && value) out = OutputBuffer::PutPlain(OutputBuffer::Put(out, "\", \""), *value);
        if (out != nullptr) {
            *out = '"';
            rows_.Commit(PutRowEnd(out + 1, Range()));
            return;
        }
    }
    // A value row whose label holds a TAB of its own splits where the row's
    // first TAB is, as a grid splits it.
    if (value && label.find('\t') != std::string_view::npos) {
        std::string joined = std::string(label).append(1, '\t').append(*value);
        const auto [joinedLabel, joinedValue] = rows::SplitRow(joined);
        AppendEscapedRow(separator, joinedLabel, joinedValue);
        return;
    }
    AppendEscapedRow(separator, label, value);
}

void JsonReportWriter::AppendEscapedRow(std::string_view separator, std::string_view label,
                                        std::optional<std::string_view> value) {
    escaped_.assign(separator);
    AppendJsonCells(escaped_, label, value, Range());
    rows_.Append(escaped_);
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
