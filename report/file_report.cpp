#include "file_report.h"

#include <new>
#include <optional>

#include "report/analysis.h"
#include "report/file_summary.h"
#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace report {

FileOutcome ReportFile(const std::string& path, ReportWriter& writer, const wavecheck::CheckOptions& checking,
                       bool measure, unsigned measureThreads) {
    // A writer that shows only the content lost has only the errors found.
    wavecheck::CheckOptions options = checking;
    options.errorsOnly = !writer.WantsFindings();
    return ReportAnalysis(report::Analyse(path, {.forms = wavedoc::LoadForms::AnyForm,
                                                 .check = writer.WantsFindings() || writer.WantsLostContent(),
                                                 .checking = options,
                                                 .measure = measure,
                                                 .measureThreads = measureThreads,
                                                 .keepOpen = true}),
                          writer);
}

FileOutcome ReportAnalysis(const report::Analysis& analysis, ReportWriter& writer) {
    const std::string& path = analysis.path;
    FileOutcome outcome;
    outcome.status = analysis.status;
    if (!analysis.Loaded()) {
        writer.Refused(path, outcome.status, analysis.error);
        return outcome;
    }
    const wavedoc::WaveDocument& document = *analysis.document;
    // Reporting a file is one action: the file stays open until it is done,
    // through the analysis's own opening when it kept one. When it can no
    // longer be read as loaded, each chunk says so.
    std::optional<wavedoc::ReadingSession> reading;
    if (!analysis.reading) {
        try {
            reading.emplace(document.Source());
        } catch (const wavedoc::WaveDocError&) {
        }
    }

    FileOverview overview;
    overview.refusal = document.FormRefusal();
    // The chunk list's refusal is no fault of the file: it makes the file
    // unread only where nothing but the chunk list's rows is asked for; the
    // structure and the check read it, and the findings alone then decide.
    if (!overview.refusal.empty() && writer.WantsRows() && !writer.WantsFindings()) {
        outcome.status = wavedoc::LoadNotRiff;
    }
    if (overview.refusal.empty()) {
        for (const wavedoc::ChunkBase* chunk : rows::ListedChunks(document)) {
            overview.chunks.push_back({chunk->Name(), chunk->Size()});
        }
    }
    overview.notes = document.LoadNotes();
    overview.alsoInFile = AlsoInFile(document.Structure());
    overview.structure = &document.Structure();
    overview.document = &document;
    if (analysis.findings) overview.findings = *analysis.findings;
    overview.measured = analysis.measured.get();
    if (writer.WantsFindings()) {
        outcome.unfinished = !overview.findings.Finished();
        outcome.errors = overview.findings.errors;
        outcome.warnings = overview.findings.warnings;
        outcome.notes = overview.findings.notes;
        for (const wavecheck::CodeCount& count : overview.findings.counts)
            outcome.codes.emplace_back(count.code);
    }
    writer.BeginFile(path, overview);
    if (!writer.WantsRows() || !overview.refusal.empty()) {
        writer.EndFile();
        return outcome;
    }
    for (const ListedChunk& chunk : overview.chunks) {
        writer.BeginChunk(chunk);
        std::optional<std::string> error;
        try {
            error = rows::ShowChunkDetails(document, chunk.name, writer);
        } catch (const std::bad_alloc&) {
            error = "The " + chunk.name + " chunk could not be shown in full: there is not enough memory.";
        }
        writer.EndChunk(error);
    }
    writer.EndFile();
    return outcome;
}

}  // namespace report
