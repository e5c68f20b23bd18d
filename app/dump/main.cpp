// ondulo-dump: the chunk list and the detail rows of WAV files as text or JSON.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "dump_options.h"
#include "file_report.h"
#include "json_writer.h"
#include "text_report.h"

namespace {

// Why the output failed, taken as soon as the failure shows.
int outputError = 0;

// The exit statuses besides 0 (every file read, and with --check without an
// error or a warning) and 2 (bad usage).
constexpr int kFaults = 1;      // a file could not be read, or (with --check) has faults
constexpr int kUnfinished = 3;  // a file could not be checked to the end

// Reports every file in turn, stopping when the output can no longer be
// written; the exit status the files come to, a check that could not finish
// outweighing everything else.
int ReportFiles(const std::vector<std::string>& files, ReportWriter& writer, bool checkCounts) {
    int status = 0;
    for (const std::string& path : files) {
        FileOutcome outcome;
        try {
            outcome = ReportFile(path, writer);
        } catch (const std::bad_alloc&) {
            std::cerr << "ondulo-dump: \"" << TerminalPath(path)
                      << "\" could not be reported in full: there is not enough memory.\n";
            outcome.unfinished = true;
        }
        if (outcome.unfinished) {
            status = kUnfinished;
        } else if (status == 0 && (outcome.status != 0 || (checkCounts && outcome.HasProblems()))) {
            status = kFaults;
        }
        if (!std::cout) {
            outputError = errno;
            break;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Output goes through one large buffer: a file can print hundreds of
    // thousands of rows.
    std::ios::sync_with_stdio(false);
    std::string problem;
    const std::optional<DumpOptions> options =
        ParseDumpArguments(std::vector<std::string>(argv + 1, argv + argc), problem);
    if (!options) {
        std::cerr << "ondulo-dump: " << problem << "\n" << DumpUsage();
        return 2;
    }
    if (options->help) {
        std::cout << DumpUsage();
        return std::cout.flush() ? 0 : 1;
    }
    if (options->version) {
        std::cout << DumpVersion();
        return std::cout.flush() ? 0 : 1;
    }

    int status = 0;
    if (options->json) {
        JsonReportWriter writer(std::cout);
        status = ReportFiles(options->files, writer, options->check);
        writer.Finish();
    } else {
        TextReportWriter writer(std::cout, std::cerr, {options->structure, options->check});
        status = ReportFiles(options->files, writer, options->check);
    }
    if (std::cout && !std::cout.flush()) outputError = errno;
    if (!std::cout) {
        // A report that did not reach its reader is no success.
        std::cerr << "ondulo-dump: the output could not be written"
                  << (outputError != 0 ? std::string(": ") + std::strerror(outputError) : std::string())
                  << ".\n";
        return 1;
    }
    return status;
}
