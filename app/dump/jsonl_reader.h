#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "run_summary.h"

// Reads JSON Lines as `ondulo-dump --jsonl` writes them and adds each file's
// line to `summary`: its "status", "unfinished" and "finding_counts" ("error",
// "warning", "note" and the codes of "by_code"); other members are checked
// to be JSON and skipped. Empty lines and a run's own {"summary": ...} line
// are skipped, so the output of several runs joined together sums up right.
// A line that is not such an object is reported on `errors`, naming `name`
// and the line, and left out; the return value counts them. Memory stays
// small however long a line is: members that are not counted are not kept.
std::uint64_t SummariseJsonLines(std::istream& in, const std::string& name, RunSummary& summary,
                                 std::ostream& errors);

// What --summarise does: reads each file named ("-" for `standardInput`) and
// writes the summary of all of them to `out`, as text, or with `jsonLine` as
// the {"summary": ...} line --jsonl ends with. Returns the exit status a run
// with --check over the same files would have ended with, and at least
// kFaults when a file or a line could not be read.
int SummariseFiles(const std::vector<std::string>& names, bool jsonLine, std::istream& standardInput,
                   std::ostream& out, std::ostream& errors);
