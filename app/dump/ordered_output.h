#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "report/file_report.h"

// Writes the reports of files made on several threads in the order of the
// files, byte for byte as one thread reporting them in turn would. Files are
// numbered from 0 in that order. The report of the next file to write goes
// straight through as it is made; the others are held until their turn, each
// up to a bound (mostHeld) past which its thread waits for its turn, so that
// what is held never grows with the size of a report. The thread handing out
// files waits for room (WaitForRoom) so that at most `window` files are
// started and not yet written.
class OrderedOutput {
public:
    struct Settings {
        std::string separator;       // written between two files' standard output, when both have some
        bool flushEachFile = false;  // flush as soon as files are written (those written together, once)
        std::size_t window = 8;
        std::size_t mostHeld = 1 << 20;
        // Called in file order as each file is written, on the writing thread.
        std::function<void(const report::FileOutcome&)> written;
    };

    OrderedOutput(std::ostream& out, std::ostream& errors, Settings settings);
    OrderedOutput(const OrderedOutput&) = delete;
    OrderedOutput& operator=(const OrderedOutput&) = delete;

    // Whether file `index` may be started; waits up to `most` for room. Once
    // it has to wait, it waits until half the window is free, so that the
    // thread walking the folders and the reporting threads do not wake each
    // other for every file.
    bool WaitForRoom(std::uint64_t index, std::chrono::milliseconds most);
    // Standard output of file `index`, in the order it is made; what cannot
    // be written yet is appended to `held`.
    void Write(std::uint64_t index, std::string_view text, std::string& held);
    // File `index` is done: what is still held of its standard output, its
    // messages for standard error, and its outcome.
    void Complete(std::uint64_t index, std::string held, std::string errors, report::FileOutcome outcome);

    // A line on standard error that the next write erases, for a progress
    // display on a terminal; `outIsTerminal` when standard output goes to the
    // same screen, so that it is brought up to date first.
    void ShowStatus(const std::string& line, bool outIsTerminal);
    void ClearStatus();

    // Whether the output could not be written, and errno then.
    bool Failed() const;
    int FailureError() const;
    // How many files have been written.
    std::uint64_t Written() const;

private:
    struct Done {
        std::string out;
        std::string errors;
        report::FileOutcome outcome;
    };

    void WriteNext(std::string_view text);                                       // lock held
    void Finish(const std::string& errors, const report::FileOutcome& outcome);  // lock held
    void EraseStatus();                                                          // lock held

    std::ostream& out_;
    std::ostream& errors_;
    Settings settings_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable room_;        // WaitForRoom's, told when next_ reaches roomAt_
    std::uint64_t roomAt_ = UINT64_MAX;   // the next_ a waiting WaitForRoom wants
    std::uint64_t next_ = 0;              // the file whose output goes straight through
    bool nextStarted_ = false;            // it has written some standard output
    bool anyOut_ = false;                 // some file has written standard output
    std::map<std::uint64_t, Done> done_;  // files done before their turn
    bool statusShown_ = false;
    bool statusWithOut_ = false;  // standard output shows on the status line's screen
    bool failed_ = false;
    int failureError_ = 0;
};

// The standard output of one file's report at a time, for a ReportWriter:
// it goes to an OrderedOutput in pieces of up to 64 KB.
class ReportStream : public std::ostream {
public:
    explicit ReportStream(OrderedOutput& output);
    ReportStream(const ReportStream&) = delete;
    ReportStream& operator=(const ReportStream&) = delete;

    void Start(std::uint64_t index);
    // Hands the rest of the file's output to the OrderedOutput, with its
    // messages and outcome.
    void Complete(std::string errors, report::FileOutcome outcome);

private:
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(OrderedOutput& output);
        void Start(std::uint64_t index);
        void Complete(std::string errors, report::FileOutcome outcome);

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

    private:
        void Drain();

        OrderedOutput& output_;
        std::vector<char> space_;
        std::uint64_t index_ = 0;
        std::string held_;
    };

    Buffer buffer_;
};
