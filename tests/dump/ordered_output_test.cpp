// Reports made on several threads reach the output in file order, whole, with
// one separator between files that write something, whatever the threads'
// timing and however much of a report must wait for its turn.
#include "app/dump/ordered_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// One file's report: its standard output and its messages.
struct FakeReport {
    std::string out;
    std::string errors;
};

// Standard output and errors of `reports` made on `threads` threads, each
// file taking a different time and writing in pieces of `piece` bytes, and
// the order in which they were counted.
struct Written {
    std::string out;
    std::string errors;
    std::vector<std::uint64_t> counted;
};

Written RunReports(const std::vector<FakeReport>& reports, unsigned threads, std::size_t mostHeld,
                   std::size_t piece) {
    std::ostringstream out;
    std::ostringstream errors;
    Written written;
    OrderedOutput output(out, errors,
                         {"|", false, 2 * threads, mostHeld, [&](const report::FileOutcome& outcome) {
                              written.counted.push_back(outcome.notes);
                          }});
    std::atomic<std::uint64_t> next{0};
    const auto work = [&] {
        ReportStream stream(output);
        for (std::uint64_t i = next++; i < reports.size(); i = next++) {
            while (!output.WaitForRoom(i, 10ms)) {
            }
            stream.Start(i);
            const std::string& text = reports[i].out;
            // Later files go faster, so they are done before their turn.
            std::this_thread::sleep_for(std::chrono::microseconds((reports.size() - i) * 100));
            // A few bytes first, so that a large piece follows bytes the stream holds.
            const std::size_t head = std::min<std::size_t>(text.size(), 10);
            stream << text.substr(0, head);
            for (std::size_t at = head; at < text.size(); at += piece) stream << text.substr(at, piece);
            report::FileOutcome outcome;
            outcome.notes = i;
            stream.Complete(reports[i].errors, outcome);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& thread : pool) thread.join();
    written.out = out.str();
    written.errors = errors.str();
    return written;
}

struct OrderCase {
    const char* what;
    unsigned threads;
    std::size_t mostHeld;
    std::size_t piece;
};

TEST(OrderedOutput, WritesFilesInOrderWhateverTheThreads) {
    std::vector<FakeReport> reports;
    std::string expectedOut;
    std::string expectedErrors;
    for (int i = 0; i < 24; ++i) {
        // Every third file writes nothing to standard output (a file refused
        // in the text form): no separator for it. Some are far longer than a
        // piece the stream hands on at once.
        // Each byte tells its place, so a piece out of order shows.
        std::string out;
        if (i % 3 != 1) {
            for (int at = 0; at < (i % 5 == 0 ? 150000 : 40); ++at)
                out += static_cast<char>('a' + (i + at) % 26);
        }
        std::string errors = i % 4 == 0 ? "error " + std::to_string(i) + "\n" : "";
        if (!out.empty()) expectedOut += (expectedOut.empty() ? "" : "|") + out;
        expectedErrors += errors;
        reports.push_back({out, errors});
    }
    std::vector<std::uint64_t> inOrder(reports.size());
    for (std::uint64_t i = 0; i < inOrder.size(); ++i) inOrder[i] = i;

    const OrderCase cases[] = {
        {"one thread", 1, 1 << 20, 7000},
        {"four threads, everything held until its turn", 4, 1 << 20, 7000},
        {"four threads that must wait their turn past 100 bytes", 4, 100, 30},
        {"eight threads writing 3 bytes at a time", 8, 64, 3},
        // Pieces of half the stream's buffer or more go on without being copied in.
        {"four threads writing pieces of 40,000 bytes", 4, 1 << 20, 40000},
        {"four threads writing pieces of 40,000 bytes that wait past 100 bytes", 4, 100, 40000},
    };
    for (const OrderCase& c : cases) {
        const Written written = RunReports(reports, c.threads, c.mostHeld, c.piece);
        EXPECT_TRUE(written.out == expectedOut) << c.what;
        EXPECT_EQ(written.errors, expectedErrors) << c.what;
        EXPECT_EQ(written.counted, inOrder) << c.what;
    }
}

// A stream that takes `room` bytes, then fails, like a full disk.
class FullDisk : public std::streambuf {
public:
    explicit FullDisk(std::size_t room) : room_(room) {}

protected:
    int_type overflow(int_type c) override {
        if (room_ == 0) return traits_type::eof();
        --room_;
        return c;
    }

private:
    std::size_t room_;
};

TEST(OrderedOutput, AFailedOutputStopsTheWritingAndFreesEveryThread) {
    FullDisk disk(1000);
    std::ostream out(&disk);
    std::ostringstream errors;
    std::uint64_t counted = 0;
    OrderedOutput output(out, errors, {"", false, 64, 10, [&](const report::FileOutcome&) { ++counted; }});
    std::atomic<std::uint64_t> next{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < 4; ++t) {
        // Each file holds more than the bound, so every thread but the one
        // writing would wait for its turn.
        pool.emplace_back([&] {
            ReportStream stream(output);
            for (std::uint64_t i = next++; i < 40; i = next++) {
                stream.Start(i);
                stream << std::string(300, 'x') << std::flush;
                stream.Complete("", {});
            }
        });
    }
    for (std::thread& thread : pool) thread.join();
    EXPECT_TRUE(output.Failed());
    EXPECT_LT(counted, 4U);
    EXPECT_FALSE(output.WaitForRoom(1000, 0ms));
}

}  // namespace
