#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "report/file_report.h"

// The exit statuses of ondulo-dump besides 0. A run over many files exits
// with the worst status of its files: kUnfinished outweighs kFaults, so the
// larger number wins.
inline constexpr int kFaults = 1;         // a file was not read, or (with --check) has faults
inline constexpr int kBadUsage = 2;       // the command line asks for something it cannot do
inline constexpr int kUnfinished = 3;     // a file could not be checked to the end
inline constexpr int kInterrupted = 130;  // stopped by SIGINT or SIGTERM: 128 + SIGINT, as shells report

// The status one file gives a run; with `check`, errors and warnings count
// as faults.
int FileExitStatus(const report::FileOutcome& outcome, bool check);

// What a run over many files came to: how many files fall in each class and,
// per finding code, how many files have findings of it. Each file falls in
// one class: not readable (not a WAV file, or it could not be read), else by
// its worst finding: with errors, with warnings (and no errors), with only
// notes, or clean. A file whose check could not finish is also counted apart.
// Every code the check has is counted by name, and so are the first
// kMostOtherCodes codes it does not have (from lines written by another
// version); later ones are counted together, so that lines of made-up codes
// cannot make the summary grow without end.
class RunSummary {
public:
    static constexpr std::size_t kMostOtherCodes = 256;

    // Adds one file; a code it lists twice counts once.
    void Add(const report::FileOutcome& outcome);

    std::uint64_t Files() const { return files_; }
    // The worst FileExitStatus of the files added, with check.
    int ExitStatus() const { return exitStatus_; }

    // "summary:" and one line per class ("  label TAB count"), then
    // "  files with each finding code:" and one line per code, codes in byte
    // order; then, when codes were counted together, "    and other codes"
    // with how many times a file had one of them.
    std::string Text() const;
    // {"files": N, "with_errors": N, "with_warnings": N, "with_only_notes": N,
    //  "clean": N, "not_readable": N, "check_unfinished": N, "by_code": {...}},
    // and "other_codes": N after "by_code" when codes were counted together.
    std::string Json() const;

private:
    // One line of the summary: its text label, its JSON key, its count.
    struct Line {
        const char* label;
        const char* key;
        std::uint64_t count;
    };
    std::array<Line, 7> Lines() const;

    std::uint64_t files_ = 0;
    std::uint64_t withErrors_ = 0;
    std::uint64_t withWarnings_ = 0;
    std::uint64_t withOnlyNotes_ = 0;
    std::uint64_t clean_ = 0;
    std::uint64_t notReadable_ = 0;
    std::uint64_t unfinished_ = 0;
    std::map<std::string, std::uint64_t> filesByCode_;
    std::size_t otherCodesKept_ = 0;       // codes in filesByCode_ the check does not have
    std::uint64_t filesByOtherCodes_ = 0;  // files with a code beyond those, once per code
    int exitStatus_ = 0;
};
