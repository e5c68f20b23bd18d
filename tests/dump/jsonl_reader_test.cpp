// --summarise reads back what --jsonl wrote: the files' lines count, a run's
// own summary line and empty lines do not, and a line that is not a file's
// is named and left out without losing the lines after it.
#include "app/dump/jsonl_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

// A file's line as --jsonl writes it, with the members the summary reads.
std::string FileLine(int status, const std::string& counts, const std::string& unfinished = "null") {
    return "{\"path\": \"a.wav\", \"status\": " + std::to_string(status) +
           ", \"error\": null, \"notes\": [\"x\"], \"structure\": [{\"offset\": 12, \"children\": [[]]}], "
           "\"findings\": [], \"finding_counts\": " +
           counts + ", \"unfinished\": " + unfinished + ", \"chunks\": []}\n";
}
std::string WithoutBreak(std::string line) {
    line.pop_back();
    return line;
}

const std::string kClean = FileLine(0, "{\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}}");
const std::string kWarned =
    FileLine(0,
             "{\"error\": 0, \"warning\": 2, \"note\": 1, \"by_code\": {\"loop-type\": 2, "
             "\"pad-not-zero\": 1}}");

struct ReadCase {
    const char* what;
    std::string lines;
    std::string summary;  // RunSummary::Json of what was counted
    std::string errors;
};

std::string Summary(int files, int errors, int warnings, int notes, int clean, int unreadable, int unfinished,
                    const std::string& codes = "") {
    return "{\"files\": " + std::to_string(files) + ", \"with_errors\": " + std::to_string(errors) +
           ", \"with_warnings\": " + std::to_string(warnings) +
           ", \"with_only_notes\": " + std::to_string(notes) + ", \"clean\": " + std::to_string(clean) +
           ", \"not_readable\": " + std::to_string(unreadable) +
           ", \"check_unfinished\": " + std::to_string(unfinished) + ", \"by_code\": {" + codes + "}}";
}

TEST(JsonLinesReader, CountsFilesLinesAndNamesTheOthers) {
    const std::string bad = "ondulo-dump: \"runs.jsonl\" line ";
    const std::string left = "; it is left out of the summary.\n";
    const ReadCase cases[] = {
        {"files, a run's summary line, empty lines",
         kClean + "\n" + kWarned + "{\"summary\": {\"files\": 9}}\n  \n" + kClean,
         Summary(3, 0, 1, 0, 2, 0, 0, "\"loop-type\": 1, \"pad-not-zero\": 1"), ""},
        {"levels decide the class; a refused file; a check that could not finish",
         FileLine(0,
                  "{\"error\": 1, \"warning\": 1, \"note\": 0, \"by_code\": {\"past-end\": 1, \"riff-size\": "
                  "1}}") +
             FileLine(0, "{\"note\": 3, \"by_code\": {\"pad-not-zero\": 3}}") +
             FileLine(1, "{\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}}") +
             FileLine(0, "{\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}}",
                      "\"The file changed.\""),
         Summary(4, 1, 0, 1, 1, 1, 1, "\"pad-not-zero\": 1, \"past-end\": 1, \"riff-size\": 1"), ""},
        {"a code a line lists twice counts once",
         FileLine(0,
                  "{\"warning\": 3, \"by_code\": {\"loop-type\": 1, \"pad-not-zero\": 1, \"loop-type\": 1}}"),
         Summary(1, 0, 1, 0, 0, 0, 0, "\"loop-type\": 1, \"pad-not-zero\": 1"), ""},
        {"escapes in a code are read; a line without its break at the end counts",
         WithoutBreak(FileLine(
             0, "{\"error\": 0, \"warning\": 1, \"note\": 0, \"by_code\": {\"pad\\u002dmissing\": 1}}")),
         Summary(1, 0, 1, 0, 0, 0, 0, "\"pad-missing\": 1"), ""},
        {"a bad line is named and the next one still counts",
         "not json\n" + kClean + "{\"status\": 0}\n{\"status\": 0, \"finding_counts\": {}} x\n" +
             "{\"path\": \"cut off\n" + kClean + "[1, 2]\n{\"status\": -1}\n" + kClean +
             "{\"status\": 0, \"x\": " + std::string(300, '[') + std::string(300, ']') +
             ", \"finding_counts\": {}}\n" + kClean +
             "{\"status\": 1, \"finding_counts\": {\"by_code\": {\"" + std::string(101, 'c') + "\": 1}}}\n" +
             "{\"status\": 1, \"error\": \"t\\x\"}\n" + "{\"status\": 1, ",
         Summary(4, 0, 0, 0, 4, 0, 0),
         bad + "1: expected a JSON object" + left + bad + "3: it has no \"finding_counts\"" + left + bad +
             "4: more follows the object on the line" + left + bad + "5: the line ends inside a string" +
             left + bad + "7: expected a JSON object" + left + bad + "8: expected a count" + left + bad +
             "10: it nests too deep" + left + bad + "12: a finding code is too long" + left + bad +
             "13: a string holds an unknown escape" + left + bad + "14: expected a member name" + left},
    };
    for (const ReadCase& c : cases) {
        std::istringstream in(c.lines);
        std::ostringstream errors;
        RunSummary summary;
        SummariseJsonLines(in, "runs.jsonl", summary, errors);
        EXPECT_EQ(summary.Json(), c.summary) << c.what;
        EXPECT_EQ(errors.str(), c.errors) << c.what;
    }
}

// Codes the check does not have are counted by name up to a bound, then
// together, so that lines of made-up codes cannot make the summary grow
// without end; the check's own codes are always counted by name.
TEST(JsonLinesReader, CountsCodesItDoesNotKnowUpToABound) {
    const std::size_t most = RunSummary::kMostOtherCodes;
    std::string lines;
    std::string named;
    for (std::size_t i = 0; i < most + 40; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "made-up-%04zu", i);
        lines += FileLine(
            0, std::string("{\"warning\": 1, \"by_code\": {\"") + code + "\": 1, \"" + code + "\": 1}}");
        if (i < most) named += std::string(named.empty() ? "" : ", ") + "\"" + code + "\": 1";
    }
    lines += kWarned + kWarned;
    std::istringstream in(lines);
    std::ostringstream errors;
    RunSummary summary;
    SummariseJsonLines(in, "runs.jsonl", summary, errors);
    std::string expected = Summary(static_cast<int>(most) + 42, 0, static_cast<int>(most) + 42, 0, 0, 0, 0,
                                   "\"loop-type\": 2, " + named + ", \"pad-not-zero\": 2");
    expected.insert(expected.size() - 1, ", \"other_codes\": 40");
    EXPECT_EQ(summary.Json(), expected);
    EXPECT_NE(summary.Text().find("\n    and other codes\t40\n"), std::string::npos) << summary.Text();
    EXPECT_EQ(errors.str(), "");
}

// What --summarise prints, and how it ends: as --check over the same files.
TEST(JsonLinesReader, SummarisesFilesAsTheRunDid) {
    std::istringstream input(kClean + kWarned);
    std::ostringstream out;
    std::ostringstream errors;
    EXPECT_EQ(SummariseFiles({"-"}, false, input, out, errors), 1);
    EXPECT_EQ(
        out.str(),
        "summary:\n  files\t2\n  with errors\t0\n  with warnings and no errors\t1\n  with only notes\t0\n"
        "  clean\t1\n  not readable\t0\n  check not finished\t0\n  files with each finding code:\n"
        "    loop-type\t1\n    pad-not-zero\t1\n");
    EXPECT_EQ(errors.str(), "");

    std::istringstream clean(kClean);
    std::ostringstream line;
    EXPECT_EQ(SummariseFiles({"-", "/nonexistent/runs.jsonl"}, true, clean, line, errors), 1);
    EXPECT_EQ(line.str(), "{\"summary\": " + Summary(1, 0, 0, 0, 1, 0, 0) + "}\n");
    EXPECT_EQ(errors.str(),
              "ondulo-dump: \"/nonexistent/runs.jsonl\" cannot be read: No such file or directory.\n");
}

}  // namespace
