#pragma once

#include <iosfwd>
#include <string>

#include "collection_walk.h"

// ondulo-dump --diff A B: what changed from A to B, as text or (json) as an
// object "diff". Returns 0 when the files are the same, 1 when they differ,
// 2 when one cannot be read or compared (said on `errors`).
int RunDiff(const std::string& a, const std::string& b, bool json, std::ostream& out, std::ostream& errors);

// ondulo-dump --diff -r A B over two folders: the files of the same relative
// path compared, in the walk's order, one line each (JSON Lines with
// `jsonl`), files in only one folder named as such; then a summary (the
// last line of the JSON Lines, or on `errors` after text). Returns the worst
// status of the files: a file in one folder only counts as different.
int RunDiffTree(const std::string& a, const std::string& b, const WalkRules& rules, bool jsonl,
                std::ostream& out, std::ostream& errors);
