#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "file_report.h"

// Text for a terminal: DisplayUtf8, then every control character except TAB
// (C0, DEL and C1) written as \u00XX, so a file cannot end a line early or
// send commands to the terminal.
std::string TerminalText(std::string_view raw);

// The text form, one file at a time: the path, the chunk list (name TAB size),
// then for each chunk a blank line, "[NAME]", its rows and "! sentence" when
// its rows stop short; a blank line between files. A file that could not be
// read writes its reason to `errors` and nothing to `out`.
class TextReportWriter {
public:
    TextReportWriter(std::ostream& out, std::ostream& errors) : out_(out), errors_(errors) {}
    void Add(const FileReport& report);

private:
    std::ostream& out_;
    std::ostream& errors_;
    bool firstFile_ = true;
};
