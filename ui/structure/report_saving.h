#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "ui/widgets/job_control.h"

namespace report {
struct Analysis;
}

// Saving what ondulo-dump reports of a file, through the same writers.
enum class ReportForm {
    Text,  // ondulo-dump --structure FILE
    Json,  // ondulo-dump --json FILE
};

// The form a report saved at `destination` takes: JSON for a name ending in
// ".json" (any case), else text.
ReportForm ReportFormFor(const std::string& destination);

// Writes to `out` exactly what ondulo-dump writes to its standard output for
// the analysed file alone in `form`. Returns why nothing could be reported
// (the file is refused), naming the file; a file ondulo-dump reports as
// refused in JSON is reported so, and counts as written.
std::optional<std::string> WriteReport(const report::Analysis& analysis, ReportForm form, std::ostream& out);

// What a save running on another thread shares with the one watching it:
// `cancel` stops the save, leaving the destination untouched; `done` counts
// the bytes of the report written so far.
using SaveControl = JobControl;

struct SaveOutcome {
    bool cancelled = false;
    // One sentence naming the file that could not be read or written, and
    // why; empty when saved or cancelled.
    std::optional<std::string> problem;
};

// Writes the report of the analysed file to `destination`, in the form its
// name asks for. The report goes to a temporary file beside the destination
// and replaces it only once whole and synced, so the destination holds
// either what it held or the whole new report, whatever fails or is
// cancelled on the way. Memory does not grow with the report's size.
SaveOutcome SaveReport(const report::Analysis& analysis, const std::string& destination,
                       SaveControl* control = nullptr);

// The same for `path`, analysed first.
std::optional<std::string> SaveReport(const std::string& path, const std::string& destination);
