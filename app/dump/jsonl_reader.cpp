#include "jsonl_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "text_report.h"
#include "wavedoc/reading/error_text.h"

namespace {

// Deeper nesting than any report holds (lists nest 8 deep in the map).
constexpr std::size_t kDeepest = 256;
// Longer than any finding code, so a longer one is no code of ours.
constexpr std::size_t kLongestCode = 100;
// More codes than the check has.
constexpr std::size_t kMostCodes = 1000;

// Why a line is no file's line, in words that follow "line N: ".
class BadLine : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one line of JSON from a stream, character by character.
class LineReader {
public:
    explicit LineReader(std::streambuf& in) : in_(in) {}

    // Reads the next line into `outcome`. Returns false at the end of the
    // input; `counted` says whether the line was a file's (not empty, not a
    // summary). Throws BadLine, having read to the end of the line.
    bool Next(FileOutcome& outcome, bool& counted) {
        SkipBlanks();
        if (Peek() == kEnd) return false;
        lineEnded_ = false;
        try {
            counted = ReadLine(outcome);
        } catch (const BadLine&) {
            while (!lineEnded_ && Get() != kEnd) {
            }
            throw;
        }
        return true;
    }

private:
    static constexpr int kEnd = std::char_traits<char>::eof();

    int Peek() { return in_.sgetc(); }
    int Get() {
        const int c = in_.sbumpc();
        lineEnded_ = lineEnded_ || c == '\n';
        return c;
    }
    // Blanks within the line; the line break ends it.
    void SkipBlanks() {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\r') Get();
    }
    void Expect(char wanted, const char* what) {
        SkipBlanks();
        if (Get() != wanted) throw BadLine(std::string("expected ") + what);
    }

    bool ReadLine(FileOutcome& outcome) {
        if (Peek() == '\n') {
            Get();
            return false;
        }
        outcome = {};
        bool summary = false;
        bool hasStatus = false;
        bool hasCounts = false;
        Expect('{', "a JSON object");
        SkipBlanks();
        if (Peek() == '}') throw BadLine("the object is empty");
        for (bool more = true; more; more = EndOfMember('}')) {
            const std::string key = ReadKey();
            if (key == "status") {
                const std::uint64_t status = ReadCount();
                if (status > 0x7FFF) throw BadLine("\"status\" is out of range");
                outcome.status = static_cast<std::int16_t>(status);
                hasStatus = true;
            } else if (key == "unfinished") {
                // null, or why the check could not finish
                SkipBlanks();
                outcome.unfinished = Get() == '"';
                if (outcome.unfinished) {
                    ReadString(nullptr, 0);
                } else {
                    ExpectWord("ull");
                }
            } else if (key == "finding_counts") {
                ReadFindingCounts(outcome);
                hasCounts = true;
            } else {
                summary = summary || key == "summary";
                SkipValue();
            }
        }
        SkipBlanks();
        if (Peek() != '\n' && Peek() != kEnd) throw BadLine("more follows the object on the line");
        Get();
        if (summary) return false;
        if (!hasStatus) throw BadLine("it has no \"status\"");
        if (outcome.status == 0 && !hasCounts) throw BadLine("it has no \"finding_counts\"");
        return true;
    }

    // {"error": N, "warning": N, "note": N, "by_code": {"code": N, ...}}
    void ReadFindingCounts(FileOutcome& outcome) {
        Expect('{', "an object for \"finding_counts\"");
        SkipBlanks();
        if (Peek() == '}') {
            Get();
            return;
        }
        for (bool more = true; more; more = EndOfMember('}')) {
            const std::string key = ReadKey();
            if (key == "error") {
                outcome.errors = ReadCount();
            } else if (key == "warning") {
                outcome.warnings = ReadCount();
            } else if (key == "note") {
                outcome.notes = ReadCount();
            } else if (key == "by_code") {
                ReadCodes(outcome);
            } else {
                SkipValue();
            }
        }
    }

    void ReadCodes(FileOutcome& outcome) {
        Expect('{', "an object for \"by_code\"");
        SkipBlanks();
        if (Peek() == '}') {
            Get();
            return;
        }
        for (bool more = true; more; more = EndOfMember('}')) {
            std::string code;
            SkipBlanks();
            if (Get() != '"') throw BadLine("expected a finding code");
            if (!ReadString(&code, kLongestCode)) throw BadLine("a finding code is too long");
            Expect(':', "':' after a finding code");
            if (ReadCount() == 0) continue;
            if (outcome.codes.size() == kMostCodes) throw BadLine("it has too many finding codes");
            outcome.codes.push_back(std::move(code));
        }
    }

    // A member's name and its colon; a name too long to be one of ours
    // comes back empty.
    std::string ReadKey() {
        SkipBlanks();
        if (Get() != '"') throw BadLine("expected a member name");
        std::string key;
        if (!ReadString(&key, kLongestCode)) key.clear();
        Expect(':', "':' after a member name");
        return key;
    }

    // After a member or element: true after ',', false after `close`.
    bool EndOfMember(char close) {
        SkipBlanks();
        const int c = Get();
        if (c == ',') return true;
        if (c == close) return false;
        throw BadLine(std::string("expected ',' or '") + close + "'");
    }

    // A whole number of at most 64 bits.
    std::uint64_t ReadCount() {
        SkipBlanks();
        if (Peek() < '0' || Peek() > '9') throw BadLine("expected a count");
        std::uint64_t value = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            const auto digit = static_cast<std::uint64_t>(Get() - '0');
            if (value > (UINT64_MAX - digit) / 10) throw BadLine("a count is out of range");
            value = value * 10 + digit;
        }
        return value;
    }

    // The rest of a string after its opening quote, its escapes decoded into
    // `kept` when given; false when it holds more than `most` bytes (the
    // rest is read but not kept).
    bool ReadString(std::string* kept, std::size_t most) {
        bool whole = true;
        for (;;) {
            int c = Get();
            if (c == kEnd || c == '\n') throw BadLine("the line ends inside a string");
            if (c == '"') return whole;
            if (c < 0x20) throw BadLine("a string holds a control character");
            std::string piece(1, static_cast<char>(c));
            if (c == '\\') piece = ReadEscape();
            if (kept == nullptr) continue;
            if (kept->size() + piece.size() > most) {
                whole = false;
            } else {
                *kept += piece;
            }
        }
    }

    std::string ReadEscape() {
        const int c = Get();
        switch (c) {
            case '"':
            case '\\':
            case '/':
                return std::string(1, static_cast<char>(c));
            case 'b':
                return "\b";
            case 'f':
                return "\f";
            case 'n':
                return "\n";
            case 'r':
                return "\r";
            case 't':
                return "\t";
            case 'u':
                break;
            default:
                throw BadLine("a string holds an unknown escape");
        }
        char32_t unit = ReadHex4();
        // A high surrogate and its low one make one character; alone, either
        // stands for a character that cannot be shown.
        if (unit >= 0xD800 && unit < 0xDC00 && Peek() == '\\') {
            Get();
            if (Get() != 'u') throw BadLine("a string holds a lone surrogate");
            const char32_t low = ReadHex4();
            if (low < 0xDC00 || low >= 0xE000) throw BadLine("a string holds a lone surrogate");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        std::string utf8;
        AppendUtf8(utf8, unit);
        return utf8;
    }

    char32_t ReadHex4() {
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = Get();
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) throw BadLine("a string holds a bad \\u escape");
            value = value * 16 + static_cast<char32_t>(digit);
        }
        return value;
    }

    void ExpectWord(const char* rest) {
        for (; *rest != '\0'; ++rest) {
            if (Get() != *rest) throw BadLine("expected a value");
        }
    }

    void SkipDigits() {
        if (Peek() < '0' || Peek() > '9') throw BadLine("a number lacks its digits");
        while (Peek() >= '0' && Peek() <= '9') Get();
    }

    // A number, its first character already read.
    void SkipNumber(int first) {
        if (first == '-') {
            if (Peek() < '0' || Peek() > '9') throw BadLine("a number lacks its digits");
            first = Get();
        }
        if (first != '0') {
            while (Peek() >= '0' && Peek() <= '9') Get();
        }
        if (Peek() == '.') {
            Get();
            SkipDigits();
        }
        if (Peek() == 'e' || Peek() == 'E') {
            Get();
            if (Peek() == '+' || Peek() == '-') Get();
            SkipDigits();
        }
    }

    // Any JSON value, checked and dropped. Nesting is followed on a stack of
    // its own, so no line decides how deep the call stack goes.
    void SkipValue() {
        std::vector<char> open;  // the closing bracket of each array and object we are in
        for (;;) {
            SkipBlanks();
            const int c = Get();
            bool valueEnded = true;
            if (c == '{' || c == '[') {
                if (open.size() == kDeepest) throw BadLine("it nests too deep");
                open.push_back(c == '{' ? '}' : ']');
                SkipBlanks();
                if (Peek() == open.back()) {
                    Get();
                    open.pop_back();
                } else {
                    if (open.back() == '}') ReadKey();
                    valueEnded = false;
                }
            } else if (c == '"') {
                ReadString(nullptr, 0);
            } else if (c == 't') {
                ExpectWord("rue");
            } else if (c == 'f') {
                ExpectWord("alse");
            } else if (c == 'n') {
                ExpectWord("ull");
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                SkipNumber(c);
            } else {
                throw BadLine("expected a value");
            }
            if (!valueEnded) continue;
            // A value ended: close what it ends, or go on to the next one.
            for (;;) {
                if (open.empty()) return;
                const char close = open.back();
                if (!EndOfMember(close)) {
                    open.pop_back();
                    continue;
                }
                if (close == '}') ReadKey();
                break;
            }
        }
    }

    std::streambuf& in_;
    bool lineEnded_ = false;  // the current line's break has been read
};

}  // namespace

std::uint64_t SummariseJsonLines(std::istream& in, const std::string& name, RunSummary& summary,
                                 std::ostream& errors) {
    std::uint64_t bad = 0;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) return 0;
    LineReader reader(*buffer);
    FileOutcome outcome;
    for (std::uint64_t line = 1;; ++line) {
        try {
            bool counted = false;
            if (!reader.Next(outcome, counted)) break;
            if (counted) summary.Add(outcome);
        } catch (const BadLine& problem) {
            ++bad;
            errors << "ondulo-dump: \"" << TerminalPath(name) << "\" line " << line << ": " << problem.what()
                   << "; it is left out of the summary.\n";
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
            errors << "ondulo-dump: \"" << TerminalPath(name)
                   << "\" cannot be read: " << wavedoc::ErrorText(errno) << ".\n";
            status = kFaults;
        } else if (SummariseJsonLines(in, name, summary, errors) > 0) {
            status = kFaults;
        }
    }
    out << (jsonLine ? "{\"summary\": " + summary.Json() + "}\n" : summary.Text());
    return std::max(status, summary.ExitStatus());
}
