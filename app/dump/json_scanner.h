#pragma once

#include <cstdint>
#include <stdexcept>
#include <streambuf>
#include <string>

// Why the JSON read is not what was wanted, in a few words ("expected a
// count").
class JsonProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads JSON text from a stream a character at a time, checking it as it
// goes, for JSON Lines: blanks are skipped within a line, never the line
// break. What is not asked for is checked and dropped, not kept, so memory
// does not follow the length of the text. Every method throws JsonProblem on
// text that is not what it reads.
class JsonScanner {
public:
    static constexpr int kEnd = std::char_traits<char>::eof();

    explicit JsonScanner(std::streambuf& in) : in_(in) {}

    int Peek() { return in_.sgetc(); }
    int Get() {
        const int c = in_.sbumpc();
        lineEnded_ = lineEnded_ || c == '\n';
        return c;
    }
    // A line starts: LineEnded is false until its line break is read.
    void StartLine() { lineEnded_ = false; }
    bool LineEnded() const { return lineEnded_; }

    // Spaces, tabs and carriage returns.
    void SkipBlanks();
    // `wanted` after blanks; `what` names it in the problem.
    void Expect(char wanted, const char* what);
    // The rest of a string after its opening quote, its escapes decoded into
    // `kept` when given; false when it holds more than `most` bytes (the rest
    // is read but not kept).
    bool ReadString(std::string* kept, std::size_t most);
    // A member's name and its colon; a name longer than `most` bytes comes
    // back empty.
    std::string ReadKey(std::size_t most);
    // After a member or element: true after ',', false after `close`.
    bool EndOfMember(char close);
    // A whole number of at most 64 bits.
    std::uint64_t ReadCount();
    // The rest of true, false or null, its first letter already read.
    void ExpectWord(const char* rest);
    // Any value. Nesting is followed on a stack of its own, so no text
    // decides how deep the call stack goes.
    void SkipValue();

private:
    std::string ReadEscape();
    char32_t ReadHex4();
    void SkipDigits();
    void SkipNumber(int first);

    std::streambuf& in_;
    bool lineEnded_ = false;
};
