#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rows/row_sink.h"
#include "sound/measure.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"

namespace wavedoc {
class WaveDocument;
}
namespace report {

struct Analysis;

// One chunk of the chunk list, as ondulo-dump reports it.
struct ListedChunk {
    std::string name;  // the id as stored, raw bytes
    std::int32_t size = 0;
};

// What ondulo-dump reports of a file before the rows of its chunks.
struct FileOverview {
    std::vector<ListedChunk> chunks;
    std::vector<std::string> notes;                    // what the load got past (WaveDocument::LoadNotes)
    std::vector<std::string> alsoInFile;               // the chunk types the list does not show (AlsoInFile)
    const wavedoc::StructureMap* structure = nullptr;  // every chunk in file order
    wavecheck::Findings findings;                      // what is wrong or questionable
    const sound::Measurement* measured = nullptr;      // the sound, when it was measured
    const wavedoc::WaveDocument* document = nullptr;   // what the map is of, for the entries' rows
    // Why the chunk list does not show the file (a 64-bit form of WAV, whose
    // map, rows and findings are still reported); empty when it does.
    std::string refusal;
};

// What reporting one file came to: what the exit status and the summary of a
// run count.
struct FileOutcome {
    std::int16_t status = 0;   // the status of WaveDocument::Load
    bool unfinished = false;   // the check could not finish
    std::uint64_t errors = 0;  // how many findings of each level
    std::uint64_t warnings = 0;
    std::uint64_t notes = 0;
    std::vector<std::string> codes;  // the codes that have findings, each once

    bool HasProblems() const { return errors + warnings > 0; }
};

// Receives what ondulo-dump reports of each file in the order it is found, so
// that nothing is held beyond the row being written. The rows of a chunk
// arrive through RowSink::AppendRow between BeginChunk and EndChunk. Strings
// are the raw bytes the file holds; writers make them displayable.
class ReportWriter : public rows::RowSink {
public:
    // A file that could not be read: the status of WaveDocument::Load and why.
    virtual void Refused(const std::string& path, std::int16_t status, const std::string& reason) = 0;
    // A file that was read: its chunk list, the notes of its load, its map;
    // or a file the chunk list refuses but the map reads (overview.refusal).
    virtual void BeginFile(const std::string& path, const FileOverview& overview) = 0;
    virtual void BeginChunk(const ListedChunk& chunk) = 0;
    // error: why the rows stop short, when they do.
    virtual void EndChunk(const std::optional<std::string>& error) = 0;
    virtual void EndFile() = 0;
    // Whether the chunks' rows are written at all; when not, they are not
    // made either.
    virtual bool WantsRows() const { return true; }
    // Whether the findings are written; when not, the file is checked only
    // if WantsLostContent.
    virtual bool WantsFindings() const { return true; }
    // Whether the errors' sentences are written beside the rows, as the main
    // window's status line shows them; they count for nothing else.
    virtual bool WantsLostContent() const { return false; }
    // Rows are written as they come, so a chunk always starts empty.
    void ClearRows() override {}
};

// Loads `path` and reports the chunk list, the structure map, the findings
// and the detail rows of each listed chunk, exactly as the window shows them
// to a user clicking through the list. Nothing about one chunk stops the
// others: whatever a chunk cannot show is its error.
// `checking` says what the check does beyond its usual findings (hash the
// audio against an MD5 chunk); `measure`, whether the checked file's sound
// is measured too, on how many processors (AnalyseOptions::measureThreads).
FileOutcome ReportFile(const std::string& path, ReportWriter& writer,
                       const wavecheck::CheckOptions& checking = {}, bool measure = false,
                       unsigned measureThreads = 1);

// The same for a file already analysed (a window's analysis), without
// reading it again beyond the rows of its chunks.
FileOutcome ReportAnalysis(const report::Analysis& analysis, ReportWriter& writer);

}  // namespace report
