#include <gtest/gtest.h>

#include <sstream>

#include "dump_options.h"
#include "file_report.h"
#include "json_writer.h"
#include "text_report.h"

namespace {

using Strings = std::vector<std::string>;

struct ArgumentsCase {
    Strings arguments;
    bool accepted;
    bool json;
    Strings files;
};

TEST(DumpArguments, AcceptsFilesAndKnownOptionsOnly) {
    const ArgumentsCase cases[] = {
        {{"a.wav"}, true, false, {"a.wav"}},
        {{"--json", "a.wav", "b.wav"}, true, true, {"a.wav", "b.wav"}},
        {{"--", "--json", "-x.wav"}, true, false, {"--json", "-x.wav"}},
        {{"-"}, true, false, {"-"}},
        {{}, false, false, {}},
        {{"--jsn", "a.wav"}, false, false, {}},
        {{"--version"}, true, false, {}},
        {{"-h"}, true, false, {}},
        {{"--", "--version"}, true, false, {"--version"}},
        {{"-V"}, false, false, {}},
    };
    for (const ArgumentsCase& c : cases) {
        std::string problem;
        const auto options = ParseDumpArguments(c.arguments, problem);
        ASSERT_EQ(options.has_value(), c.accepted) << testing::PrintToString(c.arguments);
        if (!options) {
            EXPECT_FALSE(problem.empty());
            continue;
        }
        EXPECT_EQ(options->json, c.json);
        EXPECT_EQ(options->files, c.files);
    }
}

TEST(DumpText, EscapesForJsonAndForTheTerminal) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // raw, as a JSON string, as terminal text
        {"plain", "\"plain\"", "plain"},
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\"", "say \"hi\" \\ there"},
        {"tab\there", "\"tab\\u0009here\"", "tab\there"},
        {"line\nbreak\r", "\"line\\u000abreak\\u000d\"", "line\\u000abreak\\u000d"},
        {std::string("nul\0", 4), "\"nul\\u0000\"", "nul\\u0000"},
        {"\x1b[2J", "\"\\u001b[2J\"", "\\u001b[2J"},
        {"caf\xE9", "\"caf\xC3\xA9\"", "caf\xC3\xA9"},
        {"\x9B", "\"\xC2\x9B\"", "\\u009b"},
        {"\xC2\xB5-law\x7F", "\"\xC2\xB5-law\x7F\"", "\xC2\xB5-law\\u007f"},
    };
    for (const auto& [raw, json, terminal] : cases) {
        EXPECT_EQ(JsonString(raw), json) << raw;
        EXPECT_EQ(TerminalText(raw), terminal) << raw;
    }
}

TEST(DumpText, WritesListThenEachChunkAndReportsFailuresApart) {
    std::ostringstream out;
    std::ostringstream errors;
    const FileReport read{"a.wav",
                          0,
                          "",
                          {{"RIFF", 40, {"RIFF Type\tWAVE"}, std::nullopt},
                           {"cue ", -4, {"Number of cue points\t2", "     Cue Point #1", ""}, "It stopped."}},
                          {"The data chunk runs past the end."}};
    const FileReport failed{"b.wav", 1, "b.wav does not start with RIFF.", {}, {}};
    TextReportWriter writer(out, errors);
    writer.Add(read);
    writer.Add(failed);
    writer.Add(read);
    const std::string oneFile =
        "a.wav\nRIFF\t40\ncue \t-4\n! The data chunk runs past the end.\n\n[RIFF]\nRIFF Type\tWAVE\n\n[cue "
        "]\nNumber of cue points\t2\n"
        "     Cue Point #1\n\n! It stopped.\n";
    EXPECT_EQ(out.str(), oneFile + "\n" + oneFile);
    EXPECT_EQ(errors.str(), "ondulo-dump: b.wav does not start with RIFF.\n");
}

}  // namespace
