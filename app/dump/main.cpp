// ondulo-dump: the chunk list and the detail rows of WAV files as text or JSON.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "dump_options.h"
#include "file_report.h"
#include "json_writer.h"
#include "text_report.h"

namespace {

// Why the output failed, taken as soon as the failure shows.
int outputError = 0;

// Reports every file in turn, stopping when the output can no longer be
// written; true when every file was read (and, when the check counts, none
// has an error or a warning).
bool ReportFiles(const std::vector<std::string>& files, ReportWriter& writer, bool checkCounts) {
    bool allRead = true;
    for (const std::string& path : files) {
        const FileOutcome outcome = ReportFile(path, writer);
        allRead = outcome.status == 0 && !(checkCounts && outcome.hasProblems) && allRead;
        if (!std::cout) {
            outputError = errno;
            break;
        }
    }
    return allRead;
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

    bool allRead = false;
    if (options->json) {
        JsonReportWriter writer(std::cout);
        allRead = ReportFiles(options->files, writer, options->check);
        writer.Finish();
    } else {
        TextReportWriter writer(std::cout, std::cerr, {options->structure, options->check});
        allRead = ReportFiles(options->files, writer, options->check);
    }
    if (std::cout && !std::cout.flush()) outputError = errno;
    if (!std::cout) {
        // A report that did not reach its reader is no success.
        std::cerr << "ondulo-dump: the output could not be written"
                  << (outputError != 0 ? std::string(": ") + std::strerror(outputError) : std::string())
                  << ".\n";
        return 1;
    }
    return allRead ? 0 : 1;
}
