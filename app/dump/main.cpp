// ondulo-dump: the chunk list and the detail rows of WAV files as text or JSON.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "collection_run.h"
#include "diff_command.h"
#include "dump_options.h"
#include "jsonl_reader.h"
#include "mend_command.h"
#include "run_summary.h"

int main(int argc, char** argv) {
    // Output goes through one large buffer: a file can print hundreds of
    // thousands of rows.
    std::ios::sync_with_stdio(false);
    std::string problem;
    const std::optional<DumpOptions> options =
        ParseDumpArguments(std::vector<std::string>(argv + 1, argv + argc), problem);
    if (!options) {
        // The one useful line stays in sight, rather than scrolled away by
        // the whole help.
        std::cerr << "ondulo-dump: " << problem << "\nTry 'ondulo-dump --help' for more information.\n";
        return kBadUsage;
    }
    if (options->help) {
        std::cout << DumpUsage();
        return std::cout.flush() ? 0 : kFaults;
    }
    if (options->version) {
        std::cout << DumpVersion();
        return std::cout.flush() ? 0 : kFaults;
    }
    if (options->mend || options->mendPlan) {
        return RunMend(options->files.front(), options->mend ? &options->mendDestination : nullptr,
                       options->json, std::cout, std::cerr);
    }
    if (options->diff) {
        const std::string& a = options->files[0];
        const std::string& b = options->files[1];
        return options->walk.recursive
                   ? RunDiffTree(a, b, options->walk, options->jsonl, std::cout, std::cerr)
                   : RunDiff(a, b, options->json, std::cout, std::cerr);
    }
    if (options->summarise) {
        const int status = SummariseFiles(options->files, options->jsonl, std::cin, std::cout, std::cerr);
        return std::cout.flush() ? status : kFaults;
    }
    return ReportCollection(
        *options, {std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1, ::isatty(STDERR_FILENO) == 1});
}
