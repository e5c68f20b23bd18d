#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// Saving what ondulo-dump reports of a file, through the same writers.
enum class ReportForm {
    Text,  // ondulo-dump --structure FILE
    Json,  // ondulo-dump --json FILE
};

// The form a report saved at `destination` takes: JSON for a name ending in
// ".json" (any case), else text.
ReportForm ReportFormFor(const std::string& destination);

// Writes to `out` exactly what ondulo-dump writes to its standard output for
// `path` alone in `form`. Returns why nothing could be reported (the file is
// refused now), naming the file; a file ondulo-dump reports as refused in
// JSON is reported so, and counts as written.
std::optional<std::string> WriteReport(const std::string& path, ReportForm form, std::ostream& out);

// Writes the report of `path` to the file `destination`, in the form its name
// asks for. Returns one sentence naming the file that could not be read or
// written, and why.
std::optional<std::string> SaveReport(const std::string& path, const std::string& destination);
