#pragma once

#include <iosfwd>
#include <string>

#include "diff/diff.h"

// The exit status a diff gives: 0 the same, 1 different, 2 trouble.
int DiffExitStatus(const diff::Diff& diff);

// The differences as text, each on a line, grouped by entry; nothing when
// the files are the same (or there was trouble: the caller says why).
void WriteDiffText(const diff::Diff& diff, std::ostream& out);

// The differences as one JSON object {"diff": {...}} on one line, without
// its line break: "chunks" holds only the entries that differ.
std::string DiffJson(const diff::Diff& diff);

// "the same", "different", "trouble": one word for a run over folders.
std::string_view DiffOutcome(const diff::Diff& diff);
