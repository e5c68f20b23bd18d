#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "file_report.h"
#include "output_buffer.h"
#include "text/escaped_text.h"

namespace report {

// The structure map as an indented table: "structure:", then one line per
// entry (offset, id, size field, bytes present, pad byte, list type, and
// "[listed]" or why the window does not list it), sub-chunks indented. With
// the document the map is of, each entry StructureRows gives rows has them
// under it, one step further in, and "! sentence" when they stop short.
void WriteStructure(std::ostream& out, const wavedoc::StructureMap& structure,
                    const wavedoc::WaveDocument* document = nullptr);

// What the text shows of each file besides its chunk list and notes: the
// decoded fields by default, else the structure map, the findings or both.
struct TextParts {
    bool structure = false;
    bool findings = false;
};

// The findings: "findings:" (with "none" when there are none), then one line
// per finding: level, offset, chunk ("-" for none), code and sentence,
// separated by TABs; after the findings kept of a code, a line "...", "-",
// "-", the code and how many more there are; last, "! The check could not
// finish: ..." when it could not.
void WriteFindings(std::ostream& out, const wavecheck::Findings& findings);

// The measured sound: "measured:", then one line per figure, name and value
// separated by a TAB: the format and length, the loudness figures (or why
// there are none), and for each channel its sample peak, where it first
// occurs and how many samples are clipped; "-inf" for silence. A file whose
// audio is not decoded has the one line "! sentence".
void WriteMeasured(std::ostream& out, const sound::Measurement& measured);

// The text form, one file at a time: the path, the chunk list (name TAB size),
// "! sentence" for each error found (content lost, as a chunk cut off by the
// end of the file) and each load note and "! Also in the file: ..." when the list
// leaves chunk types out, then for each chunk a blank line, "[NAME]",
// its rows and "! sentence" when its rows stop short; a blank line between
// files. With the structure map or the findings asked for, those come after
// the notes instead of the chunks' rows. A file that could not be read writes its reason to `errors` and
// nothing to `out`.
class TextReportWriter : public ReportWriter {
public:
    TextReportWriter(std::ostream& out, std::ostream& errors, TextParts parts = {})
        : out_(out), errors_(errors), parts_(parts) {}

    void Refused(const std::string& path, std::int16_t status, const std::string& reason) override;
    void BeginFile(const std::string& path, const FileOverview& overview) override;
    void BeginChunk(const ListedChunk& chunk) override;
    void AppendRow(std::string_view row) override;
    void AppendValue(std::string_view label, std::string_view value) override;
    void AppendNumber(std::string_view label, std::int64_t value) override;
    void EndChunk(const std::optional<std::string>& error) override;
    void EndFile() override {}
    bool WantsRows() const override { return !parts_.structure && !parts_.findings; }
    bool WantsFindings() const override { return parts_.findings; }
    bool WantsLostContent() const override { return WantsRows(); }

private:
    std::ostream& out_;
    std::ostream& errors_;
    TextParts parts_;
    bool firstFile_ = true;
    // The rows of the chunk being written, gathered so that thousands of
    // short rows take a few writes to the stream, not one each.
    OutputBuffer rows_{out_};
    // A row that needs escaping is made here, its buffer kept from row to row.
    std::string escaped_;
};

}  // namespace report
