#include "jsonl_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <istream>
#include <ostream>

#include "json_scanner.h"
#include "report/text_report.h"
#include "wavedoc/reading/error_text.h"

namespace {

// Longer than any finding code, so a longer one is no code of ours.
constexpr std::size_t kLongestCode = 100;
// More codes than the check has.
constexpr std::size_t kMostCodes = 1000;

// Reads a file's line as --jsonl writes it, one line at a time.
// Reads one line of JSON from a stream, character by character.
class LineReader {
public:
    explicit LineReader(std::streambuf& in) : json_(in) {}

    // Reads the next line into `outcome`. Returns false at the end of the
    // input; `counted` says whether the line was a file's (not empty, not a
    // summary). Throws JsonProblem, having read to the end of the line.
    bool Next(report::FileOutcome& outcome, bool& counted) {
        json_.SkipBlanks();
        if (json_.Peek() == JsonScanner::kEnd) return false;
        json_.StartLine();
        try {
            counted = ReadLine(outcome);
        } catch (const JsonProblem&) {
            while (!json_.LineEnded() && json_.Get() != JsonScanner::kEnd) {
            }
            throw;
        }
        return true;
    }

private:
    bool ReadLine(report::FileOutcome& outcome) {
        if (json_.Peek() == '\n') {
            json_.Get();
            return false;
        }
        outcome = {};
        bool summary = false;
        bool hasStatus = false;
        bool hasCounts = false;
        json_.Expect('{', "a JSON object");
        json_.SkipBlanks();
        if (json_.Peek() == '}') throw JsonProblem("the object is empty");
        for (bool more = true; more; more = json_.EndOfMember('}')) {
            const std::string key = json_.ReadKey(kLongestCode);
            if (key == "status") {
                const std::uint64_t status = json_.ReadCount();
                if (status > 0x7FFF) throw JsonProblem("\"status\" is out of range");
                outcome.status = static_cast<std::int16_t>(status);
                hasStatus = true;
            } else if (key == "unfinished") {
                // null, or why the check could not finish
                json_.SkipBlanks();
                outcome.unfinished = json_.Get() == '"';
                if (outcome.unfinished) {
                    json_.ReadString(nullptr, 0);
                } else {
                    json_.ExpectWord("ull");
                }
            } else if (key == "finding_counts") {
                ReadFindingCounts(outcome);
                hasCounts = true;
            } else {
                summary = summary || key == "summary";
                json_.SkipValue();
            }
        }
        json_.SkipBlanks();
        if (json_.Peek() != '\n' && json_.Peek() != JsonScanner::kEnd)
            throw JsonProblem("more follows the object on the line");
        json_.Get();
        if (summary) return false;
        if (!hasStatus) throw JsonProblem("it has no \"status\"");
        if (outcome.status == 0 && !hasCounts) throw JsonProblem("it has no \"finding_counts\"");
        return true;
    }

    // {"error": N, "warning": N, "note": N, "by_code": {"code": N, ...}}
    void ReadFindingCounts(report::FileOutcome& outcome) {
        json_.Expect('{', "an object for \"finding_counts\"");
        json_.SkipBlanks();
        if (json_.Peek() == '}') {
            json_.Get();
            return;
        }
        for (bool more = true; more; more = json_.EndOfMember('}')) {
            const std::string key = json_.ReadKey(kLongestCode);
            if (key == "error") {
                outcome.errors = json_.ReadCount();
            } else if (key == "warning") {
                outcome.warnings = json_.ReadCount();
            } else if (key == "note") {
                outcome.notes = json_.ReadCount();
            } else if (key == "by_code") {
                ReadCodes(outcome);
            } else {
                json_.SkipValue();
            }
        }
    }

    void ReadCodes(report::FileOutcome& outcome) {
        json_.Expect('{', "an object for \"by_code\"");
        json_.SkipBlanks();
        if (json_.Peek() == '}') {
            json_.Get();
            return;
        }
        for (bool more = true; more; more = json_.EndOfMember('}')) {
            std::string code;
            json_.SkipBlanks();
            if (json_.Get() != '"') throw JsonProblem("expected a finding code");
            if (!json_.ReadString(&code, kLongestCode)) throw JsonProblem("a finding code is too long");
            json_.Expect(':', "':' after a finding code");
            if (json_.ReadCount() == 0) continue;
            if (outcome.codes.size() == kMostCodes) throw JsonProblem("it has too many finding codes");
            outcome.codes.push_back(std::move(code));
        }
    }

    JsonScanner json_;
};

}  // namespace

std::uint64_t SummariseJsonLines(std::istream& in, const std::string& name, RunSummary& summary,
                                 std::ostream& errors) {
    std::uint64_t bad = 0;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) return 0;
    LineReader reader(*buffer);
    report::FileOutcome outcome;
    for (std::uint64_t line = 1;; ++line) {
        try {
            bool counted = false;
            if (!reader.Next(outcome, counted)) break;
            if (counted) summary.Add(outcome);
        } catch (const JsonProblem& problem) {
            ++bad;
            errors << "ondulo-dump: \"" << text::TerminalPath(name) << "\" line " << line << ": "
                   << problem.what() << "; it is left out of the summary.\n";
        }
    }
    return bad;
}

int SummariseFiles(const std::vector<std::string>& names, bool jsonLine, std::istream& standardInput,
                   std::ostream& out, std::ostream& errors) {
    RunSummary summary;
    int status = 0;
    for (const std::string& name : names) {
        if (name == "-") {
            if (SummariseJsonLines(standardInput, "standard input", summary, errors) > 0) status = kFaults;
            continue;
        }
        struct stat file {};
        std::ifstream in;
        if (::stat(name.c_str(), &file) == 0 && S_ISDIR(file.st_mode)) {
            errno = EISDIR;
        } else {
            in.open(name, std::ios::binary);
        }
        if (!in.is_open()) {
            errors << "ondulo-dump: \"" << text::TerminalPath(name)
                   << "\" cannot be read: " << wavedoc::ErrorText(errno) << ".\n";
            status = kFaults;
        } else if (SummariseJsonLines(in, name, summary, errors) > 0) {
            status = kFaults;
        }
    }
    out << (jsonLine ? "{\"summary\": " + summary.Json() + "}\n" : summary.Text());
    return std::max(status, summary.ExitStatus());
}
