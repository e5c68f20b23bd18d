#pragma once

#include <functional>
#include <iosfwd>
#include <thread>

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
//
// Threads are started through `startThread` (std::thread itself when empty),
// which throws std::system_error as std::thread does when the system refuses
// one: the run then goes on with the threads it has, down to the calling
// thread alone, and says so once. More threads than twice the processors are
// never started: they would only wait for each other.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;
int ReportCollection(const DumpOptions& options, const RunStreams& streams,
                     const ThreadStarter& startThread = {});

// How many threads a run asks for: `jobs`, or one per processor when 0; at
// most twice the processors (at least two).
unsigned ThreadsFor(unsigned jobs, unsigned processors);
