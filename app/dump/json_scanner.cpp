#include "json_scanner.h"

#include <vector>

#include "text/display_text.h"

namespace {

// Deeper nesting than any report holds (lists nest 8 deep in the map).
constexpr std::size_t kDeepest = 256;

}  // namespace

void JsonScanner::SkipBlanks() {
    while (Peek() == ' ' || Peek() == '\t' || Peek() == '\r') Get();
}

void JsonScanner::Expect(char wanted, const char* what) {
    SkipBlanks();
    if (Get() != wanted) throw JsonProblem(std::string("expected ") + what);
}

std::string JsonScanner::ReadKey(std::size_t most) {
    SkipBlanks();
    if (Get() != '"') throw JsonProblem("expected a member name");
    std::string key;
    if (!ReadString(&key, most)) key.clear();
    Expect(':', "':' after a member name");
    return key;
}

bool JsonScanner::EndOfMember(char close) {
    SkipBlanks();
    const int c = Get();
    if (c == ',') return true;
    if (c == close) return false;
    throw JsonProblem(std::string("expected ',' or '") + close + "'");
}

std::uint64_t JsonScanner::ReadCount() {
    SkipBlanks();
    if (Peek() < '0' || Peek() > '9') throw JsonProblem("expected a count");
    std::uint64_t value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
        const auto digit = static_cast<std::uint64_t>(Get() - '0');
        if (value > (UINT64_MAX - digit) / 10) throw JsonProblem("a count is out of range");
        value = value * 10 + digit;
    }
    return value;
}

bool JsonScanner::ReadString(std::string* kept, std::size_t most) {
    bool whole = true;
    for (;;) {
        int c = Get();
        if (c == kEnd || c == '\n') throw JsonProblem("the line ends inside a string");
        if (c == '"') return whole;
        if (c < 0x20) throw JsonProblem("a string holds a control character");
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

std::string JsonScanner::ReadEscape() {
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
            throw JsonProblem("a string holds an unknown escape");
    }
    char32_t unit = ReadHex4();
    // A high surrogate and its low one make one character; alone, either
    // stands for a character that cannot be shown.
    if (unit >= 0xD800 && unit < 0xDC00 && Peek() == '\\') {
        Get();
        if (Get() != 'u') throw JsonProblem("a string holds a lone surrogate");
        const char32_t low = ReadHex4();
        if (low < 0xDC00 || low >= 0xE000) throw JsonProblem("a string holds a lone surrogate");
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    } else if (unit >= 0xD800 && unit < 0xE000) {
        unit = 0xFFFD;
    }
    std::string utf8;
    text::AppendUtf8(utf8, unit);
    return utf8;
}

char32_t JsonScanner::ReadHex4() {
    char32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = Get();
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) throw JsonProblem("a string holds a bad \\u escape");
        value = value * 16 + static_cast<char32_t>(digit);
    }
    return value;
}

void JsonScanner::ExpectWord(const char* rest) {
    for (; *rest != '\0'; ++rest) {
        if (Get() != *rest) throw JsonProblem("expected a value");
    }
}

void JsonScanner::SkipDigits() {
    if (Peek() < '0' || Peek() > '9') throw JsonProblem("a number lacks its digits");
    while (Peek() >= '0' && Peek() <= '9') Get();
}

// A number, its first character already read.
void JsonScanner::SkipNumber(int first) {
    if (first == '-') {
        if (Peek() < '0' || Peek() > '9') throw JsonProblem("a number lacks its digits");
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

void JsonScanner::SkipValue() {
    std::vector<char> open;  // the closing bracket of each array and object we are in
    for (;;) {
        SkipBlanks();
        const int c = Get();
        bool valueEnded = true;
        if (c == '{' || c == '[') {
            if (open.size() == kDeepest) throw JsonProblem("it nests too deep");
            open.push_back(c == '{' ? '}' : ']');
            SkipBlanks();
            if (Peek() == open.back()) {
                Get();
                open.pop_back();
            } else {
                if (open.back() == '}') ReadKey(0);  // the name is not kept
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
            throw JsonProblem("expected a value");
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
            if (close == '}') ReadKey(0);
            break;
        }
    }
}
