#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "file_report.h"

// A JSON string literal for raw bytes: DisplayUtf8 first, so the document is
// valid UTF-8, then quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view raw);

// Writes {"files": [...]} one file at a time, so a long run holds only the
// file being written.
class JsonReportWriter {
public:
    explicit JsonReportWriter(std::ostream& out);
    void Add(const FileReport& report);
    // Closes the document; call once, after the last Add.
    void Finish();

private:
    std::ostream& out_;
    bool firstFile_ = true;
};
