#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "file_report.h"
#include "json_text.h"
#include "output_buffer.h"

namespace report {

// The structure map as a JSON array: {"offset", "id", "size", "present",
// "pad", "listed"} per chunk, with "why" when it is not listed, "list_type" and
// "children" for a list; {"offset", "id": null, "length", "why"} for stray bytes
// ("entries" too for those not mapped one by one). Written without recursion;
// lists nest only as deep as the walk goes.
// With the document the map is of, each entry StructureRows gives rows has
// "rows" (as a chunk's) and "error" (why they stop short, or null).
std::string JsonStructure(const wavedoc::StructureMap& structure,
                          const wavedoc::WaveDocument* document = nullptr);

// The findings kept as a JSON array of {"code", "level", "offset",
// "chunk_offset", "chunk", "message"}; "chunk" is null for a finding about no
// one chunk.
std::string JsonFindings(const wavecheck::Findings& findings);

// How many findings there are in all: {"error", "warning", "note", "by_code":
// {code: count}}, exact however many the array keeps.
std::string JsonFindingCounts(const wavecheck::Findings& findings);

// The measured sound as a JSON object: {"unmeasured", "format", "channels",
// "sample_rate", "frames", "seconds", "loudness": {"integrated", "range",
// "true_peak", "max_momentary", "max_short_term"} or null,
// "loudness_unmeasured", "channel_peaks": [{"channel", "sample_peak",
// "sample_peak_dbfs", "peak_frame", "clipped"}], "stopped"}; null for the
// figures of silence.
std::string JsonMeasured(const sound::Measurement& measured);

// How a JsonReportWriter lays out what it writes.
enum class JsonLayout {
    Document,  // {"files": [...]}: the constructor opens it, Finish closes it
    // One file's object as Document lays it out, for files reported apart and
    // joined in order: kJsonDocumentStart, the objects separated by
    // kJsonEntrySeparator, JsonDocumentEnd.
    Entry,
    Line,  // one file's object on one line, then a line break: JSON Lines
};

inline constexpr std::string_view kJsonDocumentStart = "{\"files\": [";
inline constexpr std::string_view kJsonEntrySeparator = ",";
// Closes the document; `summary`, when not empty, is the value of a
// "summary" member after the files.
std::string JsonDocumentEnd(bool anyFile, std::string_view summary = {});

// Writes each file's object as the file is reported, so a long run holds only
// the row being written. A path or chunk name that is not valid UTF-8 also
// carries its bytes ("path_bytes", "name_bytes"); so does a row value, as a
// third element of the row.
class JsonReportWriter : public ReportWriter {
public:
    explicit JsonReportWriter(std::ostream& out, JsonLayout layout = JsonLayout::Document);

    void Refused(const std::string& path, std::int16_t status, const std::string& reason) override;
    void BeginFile(const std::string& path, const FileOverview& overview) override;
    void BeginChunk(const ListedChunk& chunk) override;
    void AppendRow(std::string_view row) override;
    void AppendValue(std::string_view label, std::string_view value) override;
    void AppendNumber(std::string_view label, std::int64_t value) override;
    void EndChunk(const std::optional<std::string>& error) override;
    void EndFile() override;
    // Closes a Document; call once, after the last file.
    void Finish();

private:
    void BeginFileObject(const std::string& path, std::int16_t status, const std::string& error,
                         const FileOverview& overview);
    // What goes between two members or elements: `separator` ("," or ""),
    // then a line break and `indent`, which a Line leaves out.
    std::string Break(std::string_view separator, std::string_view indent) const;
    void EndFileObject();
    // Writes JsonStructure's array a piece at a time.
    void WriteStructure(const wavedoc::StructureMap& structure, const wavedoc::WaveDocument* document);
    // What goes before a row: a comma after the one before, a line break.
    std::string_view RowSeparator();
    // A row of a label and a value, or of a heading alone (no value), with
    // the range of the row being appended.
    void WriteRow(std::string_view label, std::optional<std::string_view> value);
    // Any row, escaped as JsonString escapes, after `separator`.
    void AppendEscapedRow(std::string_view separator, std::string_view label,
                          std::optional<std::string_view> value);

    std::ostream& out_;
    JsonLayout layout_;
    bool firstFile_ = true;
    bool firstChunk_ = true;
    bool firstRow_ = true;
    // The rows of the chunk being written, gathered so that thousands of
    // short rows take a few writes to the stream, not one each.
    OutputBuffer rows_;
    // A row that needs escaping is made here, its buffer kept from row to row.
    std::string escaped_;
};

}  // namespace report
