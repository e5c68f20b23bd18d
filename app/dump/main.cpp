// ondulo-dump: the chunk list and the detail rows of WAV files as text or JSON.
#include <iostream>
#include <string>
#include <vector>

#include "dump_options.h"
#include "file_report.h"
#include "json_writer.h"
#include "text_report.h"

namespace {

// Reports every file in turn; true when every one of them was read.
template <typename Writer>
bool ReportFiles(const std::vector<std::string>& files, Writer& writer) {
    bool allRead = true;
    for (const std::string& path : files) {
        const FileReport report = CollectFileReport(path);
        allRead = allRead && report.status == 0;
        writer.Add(report);
    }
    return allRead;
}

}  // namespace

int main(int argc, char** argv) {
    std::string problem;
    const std::optional<DumpOptions> options =
        ParseDumpArguments(std::vector<std::string>(argv + 1, argv + argc), problem);
    if (!options) {
        std::cerr << "ondulo-dump: " << problem << "\n" << DumpUsage();
        return 2;
    }
    if (options->help) {
        std::cout << DumpUsage();
        return 0;
    }
    if (options->version) {
        std::cout << DumpVersion();
        return 0;
    }

    bool allRead = false;
    if (options->json) {
        JsonReportWriter writer(std::cout);
        allRead = ReportFiles(options->files, writer);
        writer.Finish();
    } else {
        TextReportWriter writer(std::cout, std::cerr);
        allRead = ReportFiles(options->files, writer);
    }
    std::cout.flush();
    return allRead ? 0 : 1;
}
