#pragma once

#include <iosfwd>

#include "dump_options.h"

// Where a run writes, and whether to a terminal.
struct RunStreams {
    std::ostream& out;
    std::ostream& errors;
    bool outIsTerminal = false;
    bool errorsIsTerminal = false;  // a progress line is shown there
};

// Reports every file the walk of `options` finds, on as many threads as
// options.jobs says, in the order the walk finds them, whatever the number of
// threads; then, with --check over more than one file, the summary. SIGINT
// and SIGTERM stop it cleanly. Returns the exit status: the worst of the
// files', kInterrupted when stopped by a signal, kFaults (having said so)
// when the output could not be written.
int ReportCollection(const DumpOptions& options, const RunStreams& streams);
