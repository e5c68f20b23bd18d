// The manual page of ondulo-dump must list exactly the options and exit
// statuses that `ondulo-dump --help` does, so that neither can drift.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/dump/dump_options.h"
#include "support/manual_text.h"

namespace {

using Words = std::set<std::string>;

// The options a line names: words of two or more characters starting with "-",
// split at blanks, commas, brackets and bars ("[--json]", "-h, --help").
Words OptionsIn(const std::string& line) {
    Words options;
    std::string word;
    for (const char c : line + ' ') {
        if (std::string(" \t,[]|").find(c) == std::string::npos) {
            word += c;
            continue;
        }
        if (word.size() >= 2 && word[0] == '-') options.insert(word);
        word.clear();
    }
    return options;
}

// The numbers a line names as whole words ("0 when", "2 for").
Words NumbersIn(const std::string& line) {
    Words numbers;
    std::string word;
    for (const char c : line + ' ') {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) numbers.insert(word);
        word.clear();
    }
    return numbers;
}

struct HelpLists {
    Words options;
    Words exitStatuses;
};

// Options are on the usage lines and the indented option lines; the exit
// statuses from the line starting "Exit status:" to the end.
HelpLists ReadHelp(const std::string& help) {
    HelpLists lists;
    bool exitStatuses = false;
    for (const std::string& line : wavtest::Lines(help)) {
        exitStatuses = exitStatuses || line.rfind("Exit status:", 0) == 0;
        if (exitStatuses) {
            const Words numbers = NumbersIn(line);
            lists.exitStatuses.insert(numbers.begin(), numbers.end());
        } else if (line.rfind("Usage:", 0) == 0 || line.rfind("  ", 0) == 0) {
            // An option line's own words come after its description starts; only
            // the first column names options.
            const std::size_t description = line.find("  ", line.find_first_not_of(' '));
            const Words options =
                OptionsIn(line.rfind("Usage:", 0) == 0 ? line : line.substr(0, description));
            lists.options.insert(options.begin(), options.end());
        }
    }
    return lists;
}

HelpLists ReadManual(const std::string& page) {
    HelpLists lists;
    for (const wavtest::ManualItem& item : wavtest::SectionItems(page, "OPTIONS")) {
        const Words options = OptionsIn(item.tag);
        lists.options.insert(options.begin(), options.end());
    }
    for (const wavtest::ManualItem& item : wavtest::SectionItems(page, "EXIT STATUS")) {
        const Words numbers = NumbersIn(item.tag);
        lists.exitStatuses.insert(numbers.begin(), numbers.end());
    }
    return lists;
}

TEST(DumpManual, ReadersFindOptionsAndStatusesInSamples) {
    const HelpLists help = ReadHelp(
        "Usage: tool [--json] FILE...\n"
        "  -h, --help  show this text, not -x\n"
        "  --          end the options: a FILE after it may start with -\n"
        "Exit status: 0 when fine,\n3 for bad usage.\n");
    EXPECT_EQ(help.options, (Words{"--json", "-h", "--help", "--"}));
    EXPECT_EQ(help.exitStatuses, (Words{"0", "3"}));

    const HelpLists manual = ReadManual(
        ".SH OPTIONS\n.TP\n.BR \\-h \", \" \\-\\-help\nShow \\-x too.\n.TP\n.B \\-\\-\nEnd.\n"
        ".SH EXIT STATUS\n.TP\n.B 0\nFine.\n.TP\n.B 3\nBad, see 4.\n"
        ".SH EXAMPLES\n.TP\n.B \\-\\-json\n");
    EXPECT_EQ(manual.options, (Words{"-h", "--help", "--"}));
    EXPECT_EQ(manual.exitStatuses, (Words{"0", "3"}));
}

TEST(DumpManual, ListsTheOptionsAndExitStatusesOfTheHelpText) {
    std::ifstream file(ONDULO_DUMP_MANUAL);
    ASSERT_TRUE(file) << "missing " << ONDULO_DUMP_MANUAL;
    std::ostringstream page;
    page << file.rdbuf();

    const HelpLists help = ReadHelp(DumpUsage());
    const HelpLists manual = ReadManual(page.str());
    // Empty lists would agree trivially: the readers must find something.
    ASSERT_TRUE(help.options.count("--json") && help.exitStatuses.count("2")) << DumpUsage();
    EXPECT_EQ(manual.options, help.options) << "the OPTIONS of " << ONDULO_DUMP_MANUAL;
    EXPECT_EQ(manual.exitStatuses, help.exitStatuses) << "the EXIT STATUS of " << ONDULO_DUMP_MANUAL;
}

}  // namespace
