#include "collection_run.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>

#include "ordered_output.h"
#include "progress_line.h"
#include "report/json_writer.h"
#include "report/text_report.h"
#include "run_summary.h"
#include "stop_signals.h"
#include "text/counted.h"
#include "wavedoc/reading/error_text.h"
#include "work_queue.h"

namespace {

// How often the thread walking the folders, while it waits, looks whether a
// signal asked the run to stop: a signal handler cannot wake it.
constexpr std::chrono::milliseconds kPoll{100};
// How many files each thread may have done ahead of the one being written:
// enough that the walk runs ahead in bursts instead of file by file.
constexpr std::size_t kFilesAheadPerThread = 16;

std::unique_ptr<report::ReportWriter> MakeWriter(const DumpOptions& options, std::ostream& out,
                                                 std::ostream& errors) {
    if (options.jsonl) return std::make_unique<report::JsonReportWriter>(out, report::JsonLayout::Line);
    if (options.json) return std::make_unique<report::JsonReportWriter>(out, report::JsonLayout::Entry);
    return std::make_unique<report::TextReportWriter>(out, errors,
                                                      report::TextParts{options.structure, options.check});
}

// What stands between two files' output: the text form's blank line, the
// JSON document's comma, nothing between JSON Lines.
std::string Separator(const DumpOptions& options) {
    if (options.jsonl) return "";
    if (options.json) return std::string(report::kJsonEntrySeparator);
    return "\n";
}

// Reports one file, or a folder that could not be read, as any unreadable
// file. Nothing a file holds ends the run: a failure is that file's.
report::FileOutcome ReportItem(const WalkItem& item, const DumpOptions& options, std::ostream& out,
                               std::ostream& errors, AudioRead& audio, unsigned measureThreads) {
    const std::unique_ptr<report::ReportWriter> writer = MakeWriter(options, out, errors);
    report::FileOutcome outcome;
    std::string why;
    try {
        if (item.problem.empty()) {
            wavecheck::CheckOptions checking;
            checking.verifyMd5 = options.verifyMd5;
            // The progress display counts the audio read by every thread,
            // of the audio of the passes begun.
            checking.progress = [&audio, last = std::uint64_t{0}, started = false](
                                    std::uint64_t done, std::uint64_t total) mutable {
                // Measuring and then hashing read the audio twice: each pass counts from 0.
                if (done < last || !started) {
                    last = 0;
                    started = true;
                    audio.total += total;
                }
                audio.read += done - last;
                last = done;
            };
            return report::ReportFile(item.path, *writer, checking, options.measure, measureThreads);
        }
        writer->Refused(item.path, wavedoc::LoadUnreadable, item.problem);
        outcome.status = wavedoc::LoadUnreadable;
        return outcome;
    } catch (const std::bad_alloc&) {
        why = "there is not enough memory";
    } catch (const std::exception& failure) {
        why = failure.what();
    }
    errors << "ondulo-dump: \"" << text::TerminalPath(item.path)
           << "\" could not be reported in full: " << text::TerminalText(why) << ".\n";
    outcome.unfinished = true;
    return outcome;
}

// How many files are being reported at this moment, so that measuring one
// of them spreads over the processors the others leave free: a collection
// that keeps every processor busy measures each file on one.
std::atomic<unsigned> reportingNow{0};

unsigned SpareProcessorsFor(unsigned reporting) {
    const unsigned processors = std::max(1U, std::thread::hardware_concurrency());
    return reporting >= processors ? 1 : processors - reporting + 1;
}

// Reports one file taken from the queue.
void ReportWork(Work& work, ReportStream& out, const DumpOptions& options, std::atomic<std::uint64_t>& done,
                AudioRead& audio) {
    out.Start(work.index);
    std::ostringstream errors;
    const unsigned measureThreads = SpareProcessorsFor(++reportingNow);
    report::FileOutcome outcome = ReportItem(work.item, options, out, errors, audio, measureThreads);
    --reportingNow;
    out.Complete(errors.str(), std::move(outcome));
    ++done;
}

// One reporting thread: takes files until there are none left.
void ReportFiles(WorkQueue& queue, OrderedOutput& output, const DumpOptions& options,
                 std::atomic<std::uint64_t>& done, AudioRead& audio) {
    ReportStream out(output);
    while (std::optional<Work> work = queue.Pop()) ReportWork(*work, out, options, done, audio);
    queue.Leave();
}

// What the run says when fewer threads than asked for could be started.
std::string FewerThreadsText(unsigned wanted, unsigned started, const std::system_error& refusal) {
    const std::string why =
        refusal.code().value() != 0 ? wavedoc::ErrorText(refusal.code().value()) : refusal.what();
    if (started == 0) {
        return "ondulo-dump: no thread could be started (" + why +
               "); the files are reported one at a time instead.\n";
    }
    return "ondulo-dump: only " + std::to_string(started) + " of the " + std::to_string(wanted) +
           " threads asked for could be started (" + why + "); the files are reported on those.\n";
}

}  // namespace

unsigned ThreadsFor(unsigned jobs, unsigned processors) {
    const unsigned most = std::max(2U, 2 * processors);
    return std::min(jobs != 0 ? jobs : std::max(1U, processors), most);
}

int ReportCollection(const DumpOptions& options, const RunStreams& streams,
                     const ThreadStarter& startThread) {
    const unsigned processors = std::thread::hardware_concurrency();
    const unsigned threads = ThreadsFor(options.jobs, processors);
    if (options.jobs > threads) {
        streams.errors << "ondulo-dump: " << options.jobs << " jobs are more than "
                       << text::Counted(std::max(1U, processors), "processor", "processors") << " can use; "
                       << threads << " are run at once.\n";
    }
    RunSummary summary;
    int worst = 0;
    OrderedOutput output(streams.out, streams.errors,
                         {Separator(options), options.jsonl, kFilesAheadPerThread * threads, 1 << 20,
                          [&](const report::FileOutcome& outcome) {
                              summary.Add(outcome);
                              worst = std::max(worst, FileExitStatus(outcome, options.check));
                          }});
    if (options.json) streams.out << report::kJsonDocumentStart;

    CatchStopSignals();
    WorkQueue queue(threads);
    std::atomic<std::uint64_t> done{0};
    AudioRead audio;
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        std::function<void()> work = [&] { ReportFiles(queue, output, options, done, audio); };
        try {
            workers.push_back(startThread ? startThread(std::move(work)) : std::thread(std::move(work)));
        } catch (const std::system_error& refusal) {
            // The threads that could not be started count as having left.
            for (unsigned missing = i; missing < threads; ++missing) queue.Leave();
            streams.errors << FewerThreadsText(threads, i, refusal);
            break;
        }
    }
    // Without a reporting thread, the calling thread reports each file as
    // soon as the walk finds it.
    std::optional<ReportStream> here;
    if (workers.empty()) here.emplace(output);

    std::uint64_t found = 0;
    ProgressClock progress(ProgressClock::Clock::now());
    const auto showProgress = [&](bool walking) {
        if (!streams.errorsIsTerminal) return;
        if (const auto line =
                progress.Due(done, found, walking, ProgressClock::Clock::now(), {audio.read, audio.total})) {
            output.ShowStatus(*line, streams.outIsTerminal);
        }
    };
    const auto stopping = [&] { return StopRequested() || output.Failed(); };

    CollectionWalk walk(options.files, options.walk);
    for (std::optional<WalkItem> item = walk.Next(); item && !stopping(); item = walk.Next()) {
        while (!output.WaitForRoom(found, kPoll) && !stopping()) showProgress(true);
        if (stopping()) break;
        if (here) {
            Work work{found++, std::move(*item)};
            ReportWork(work, *here, options, done, audio);
        } else {
            queue.Push({found++, std::move(*item)});
        }
        showProgress(true);
    }
    queue.Close();
    while (!queue.WaitForAllToLeave(kPoll)) {
        if (stopping()) queue.Stop();
        showProgress(false);
    }
    for (std::thread& worker : workers) worker.join();
    output.ClearStatus();

    // The end of the output, and the check that all of it was written, before
    // anything more goes to standard error.
    const bool summarised = options.check && summary.Files() > 1;
    int error = output.FailureError();
    if (!output.Failed()) {
        if (options.json) {
            streams.out << report::JsonDocumentEnd(summary.Files() > 0, summarised ? summary.Json() : "");
        } else if (options.jsonl && summarised) {
            streams.out << "{\"summary\": " << summary.Json() << "}\n";
        }
        if (!streams.out.flush()) error = errno;
    }
    if (output.Failed() || !streams.out) {
        // A report that did not reach its reader is no success.
        streams.errors << "ondulo-dump: the output could not be written"
                       << (error != 0 ? ": " + wavedoc::ErrorText(error) : std::string()) << ".\n";
        return kFaults;
    }
    if (summarised && !options.json && !options.jsonl) streams.errors << summary.Text();
    if (StopRequested()) {
        streams.errors << "ondulo-dump: stopped by a signal after "
                       << text::Counted(summary.Files(), "file", "files") << "; no more were read.\n";
        return kInterrupted;
    }
    return worst;
}
