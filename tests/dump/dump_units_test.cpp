#include <gtest/gtest.h>

#include <memory>
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
        {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\"", "say \"hi\" \\u005c there"},
        // An escape sequence spelt out in the file stays distinct from a real one.
        {"\\u001b", "\"\\\\u001b\"", "\\u005cu001b"},
        {"tab\there", "\"tab\\u0009here\"", "tab\there"},
        {"line\nbreak\r", "\"line\\u000abreak\\u000d\"", "line\\u000abreak\\u000d"},
        {std::string("nul\0", 4), "\"nul\\u0000\"", "nul\\u0000"},
        {"\x1b[2J", "\"\\u001b[2J\"", "\\u001b[2J"},
        {"caf\xE9", "\"caf\xC3\xA9\"", "caf\xC3\xA9"},
        {"\x9B\x81", "\"\xE2\x80\xBA\xC2\x81\"", "\xE2\x80\xBA\\u0081"},
        // Direction overrides, isolates, separators and zero-width characters.
        {"a\xE2\x80\xAE"
         "b\xE2\x81\xA6"
         "c",
         "\"a\xE2\x80\xAE"
         "b\xE2\x81\xA6"
         "c\"",
         "a\\u202eb\\u2066c"},
        {"\xE2\x80\xA8\xE2\x80\x8B\xEF\xBB\xBF", "\"\xE2\x80\xA8\xE2\x80\x8B\xEF\xBB\xBF\"",
         "\\u2028\\u200b\\ufeff"},
        {"\xC2\xB5-law\x7F", "\"\xC2\xB5-law\x7F\"", "\xC2\xB5-law\\u007f"},
    };
    for (const auto& [raw, json, terminal] : cases) {
        EXPECT_EQ(JsonString(raw), json) << raw;
        EXPECT_EQ(TerminalText(raw), terminal) << raw;
    }
}

// Two different names never print alike: bytes that are not UTF-8 show as
// \xHH in a path, and carry their bytes in JSON.
TEST(DumpText, PathsThatAreNotUtf8KeepTheirBytes) {
    EXPECT_EQ(TerminalPath("caf\xC3\xA9.wav"), "caf\xC3\xA9.wav");
    EXPECT_EQ(TerminalPath("caf\xE9.wav"), "caf\\xe9.wav");
    EXPECT_EQ(TerminalPath("a\\b\x1b.wav"), "a\\u005cb\\u001b.wav");
    EXPECT_EQ(HexBytes("caf\xE9"), "636166e9");
}

// Feeds a writer what ReportFile would for one read file and one refused one.
void FeedTwoFiles(ReportWriter& writer) {
    const auto readFile = [&] {
        writer.BeginFile(
            "a.wav",
            FileOverview{{{"RIFF", 40}, {"cue ", -4}}, {"The data chunk runs past the end."}, {}, {}});
        writer.BeginChunk({"RIFF", 40});
        writer.AppendRow("RIFF Type\tWAVE");
        writer.EndChunk(std::nullopt);
        writer.BeginChunk({"cue ", -4});
        writer.AppendRow("Number of cue points\t2");
        writer.AppendRow("     Cue Point #1");
        writer.AppendRow("");
        writer.EndChunk("It stopped.");
        writer.EndFile();
    };
    readFile();
    writer.Refused("b.wav", 1, "b.wav does not start with RIFF.");
    readFile();
}

TEST(DumpText, WritesListThenEachChunkAndReportsFailuresApart) {
    std::ostringstream out;
    std::ostringstream errors;
    TextReportWriter writer(out, errors);
    FeedTwoFiles(writer);
    const std::string oneFile =
        "a.wav\n"
        "RIFF\t40\n"
        "cue \t-4\n"
        "! The data chunk runs past the end.\n"
        "\n"
        "[RIFF]\n"
        "RIFF Type\tWAVE\n"
        "\n"
        "[cue ]\n"
        "Number of cue points\t2\n"
        "     Cue Point #1\n"
        "\n"
        "! It stopped.\n";
    EXPECT_EQ(out.str(), oneFile + "\n" + oneFile);
    EXPECT_EQ(errors.str(), "ondulo-dump: b.wav does not start with RIFF.\n");
}

TEST(DumpJson, WritesEveryFileWithItsChunksRowsAndErrors) {
    std::ostringstream out;
    JsonReportWriter writer(out);
    FeedTwoFiles(writer);
    writer.Finish();
    const std::string oneFile =
        "  {\"path\": \"a.wav\", \"status\": 0, \"error\": null, \"notes\": [\"The data chunk runs past the "
        "end.\"],\n   \"structure\": [],\n   \"findings\": [],\n"
        "   \"finding_counts\": {\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}},\n"
        "   \"unfinished\": null,\n   \"chunks\": [\n"
        "    {\"name\": \"RIFF\", \"size\": 40, \"rows\": [\n      [\"RIFF Type\", \"WAVE\"]\n    ], "
        "\"error\": null},\n"
        "    {\"name\": \"cue \", \"size\": -4, \"rows\": [\n      [\"Number of cue points\", \"2\"],\n"
        "      [\"     Cue Point #1\"],\n      [\"\"]\n    ], \"error\": \"It stopped.\"}\n  ]}";
    EXPECT_EQ(out.str(),
              "{\"files\": [\n" + oneFile +
                  ",\n  {\"path\": \"b.wav\", \"status\": 1, \"error\": \"b.wav does not start with "
                  "RIFF.\", \"notes\": [],\n   \"structure\": [],\n   \"findings\": [],\n"
                  "   \"finding_counts\": {\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}},\n"
                  "   \"unfinished\": null,\n   \"chunks\": []},\n" +
                  oneFile + "\n]}\n");
}

// A map entry for a whole chunk at offset.
wavedoc::MapEntry ChunkEntry(std::uint64_t offset, std::string id, std::uint32_t size,
                             wavedoc::Listing listing = wavedoc::Listing::Listed) {
    wavedoc::MapEntry entry;
    entry.offset = offset;
    entry.id = std::move(id);
    entry.size = size;
    entry.present = size;
    entry.listing = listing;
    return entry;
}

// The map and the findings, as the text and the JSON forms write them.
TEST(DumpStructureAndFindings, TextAndJsonSayTheSame) {
    const wavedoc::MapEntry fmt = ChunkEntry(12, "fmt ", 16);
    wavedoc::MapEntry label = ChunkEntry(48, "labl", 1, wavedoc::Listing::OtherList);
    label.pad = wavedoc::PadByte::Present;
    wavedoc::MapEntry list = ChunkEntry(36, "LIST", 14, wavedoc::Listing::OtherList);
    list.listType = "INFO";
    label.depth = 1;
    label.parentId = "LIST";
    wavedoc::MapEntry stray;
    stray.offset = 58;
    stray.length = 1;
    stray.listing = wavedoc::Listing::Bytes;
    stray.stray = wavedoc::Stray::NotAChunk;
    const wavedoc::StructureMap map{{fmt, list, label, stray}, false};

    std::ostringstream text;
    WriteStructure(text, map);
    EXPECT_EQ(text.str(),
              "structure:\n"
              "  12          fmt   size 16, 16 bytes present  [listed]\n"
              "  36          LIST  size 14, 14 bytes present, type INFO  " +
                  list.Why() +
                  "\n"
                  "    48          labl  size 1, 1 byte present, pad byte  Inside a list that is not shown.\n"
                  "  58          (1 byte)  These bytes do not start a chunk.\n");
    EXPECT_EQ(
        JsonStructure(map),
        "[{\"offset\": 12, \"id\": \"fmt \", \"size\": 16, \"present\": 16, \"pad\": false, \"listed\": "
        "true}, "
        "{\"offset\": 36, \"id\": \"LIST\", \"size\": 14, \"present\": 14, \"pad\": false, \"listed\": "
        "false, "
        "\"why\": " +
            JsonString(list.Why()) +
            ", \"list_type\": \"INFO\", \"children\": [{\"offset\": 48, "
            "\"id\": \"labl\", \"size\": 1, \"present\": 1, \"pad\": true, \"listed\": false, \"why\": "
            "\"Inside a list that is not shown.\"}]}, {\"offset\": 58, \"id\": null, \"length\": 1, \"why\": "
            "\"These bytes do not start a chunk.\"}]");

    wavecheck::Findings findings;
    findings.shown = {{"past-end", wavecheck::Level::Error, 36, "data", "It runs \"past\" the end."},
                      {"fmt-missing", wavecheck::Level::Error, 0, "", "No fmt."}};
    findings.counts = {{"past-end", 1, 1}, {"fmt-missing", 1, 1}};
    findings.errors = 2;
    std::ostringstream lines;
    WriteFindings(lines, findings);
    EXPECT_EQ(lines.str(),
              "findings:\n  error\t36\tdata\tpast-end\tIt runs \"past\" the end.\n"
              "  error\t0\t-\tfmt-missing\tNo fmt.\n");
    EXPECT_EQ(
        JsonFindings(findings),
        "[{\"code\": \"past-end\", \"level\": \"error\", \"offset\": 36, \"chunk\": \"data\", \"message\": "
        "\"It runs \\\"past\\\" the end.\"}, {\"code\": \"fmt-missing\", \"level\": \"error\", \"offset\": "
        "0, "
        "\"chunk\": null, \"message\": \"No fmt.\"}]");
    std::ostringstream none;
    WriteFindings(none, {});
    EXPECT_EQ(none.str(), "findings: none\n");

    // Past the findings kept of a code, one line counts the rest; a check
    // that could not finish says so.
    findings.counts = {{"past-end", 41, 1}, {"fmt-missing", 2, 1}};
    findings.unfinished = "The file \"x.wav\" has changed since it was analysed.";
    std::ostringstream capped;
    WriteFindings(capped, findings);
    EXPECT_EQ(capped.str(),
              "findings:\n  error\t36\tdata\tpast-end\tIt runs \"past\" the end.\n"
              "  ...\t-\t-\tpast-end\tand 40 more past-end findings.\n"
              "  error\t0\t-\tfmt-missing\tNo fmt.\n"
              "  ...\t-\t-\tfmt-missing\tand 1 more fmt-missing finding.\n"
              "! The check could not finish: The file \"x.wav\" has changed since it was analysed.\n");
}

}  // namespace

namespace {

// Hands each file to a JsonReportWriter of its own and keeps each file's text
// apart, as ondulo-dump does when it reports files on several threads.
class WriterPerFile : public ReportWriter {
public:
    explicit WriterPerFile(JsonLayout layout) : layout_(layout) {}

    void Refused(const std::string& path, std::int16_t status, const std::string& reason) override {
        Start().Refused(path, status, reason);
        texts.push_back(out_.str());
    }
    void BeginFile(const std::string& path, const FileOverview& overview) override {
        Start().BeginFile(path, overview);
    }
    void BeginChunk(const ListedChunk& chunk) override { writer_->BeginChunk(chunk); }
    void AppendRow(std::string_view row) override { writer_->AppendRow(row); }
    void EndChunk(const std::optional<std::string>& error) override { writer_->EndChunk(error); }
    void EndFile() override {
        writer_->EndFile();
        texts.push_back(out_.str());
    }

    std::vector<std::string> texts;

private:
    JsonReportWriter& Start() {
        out_.str("");
        writer_ = std::make_unique<JsonReportWriter>(out_, layout_);
        return *writer_;
    }

    JsonLayout layout_;
    std::ostringstream out_;
    std::unique_ptr<JsonReportWriter> writer_;
};

// The same JSON without line breaks: a break after a comma becomes a space,
// any other goes, with the indentation after it.
std::string OnOneLine(const std::string& json) {
    std::string line;
    for (std::size_t at = 0; at < json.size(); ++at) {
        if (json[at] != '\n') {
            line += json[at];
            continue;
        }
        if (!line.empty() && line.back() == ',') line += ' ';
        while (at + 1 < json.size() && json[at + 1] == ' ') ++at;
    }
    return line;
}

TEST(DumpJson, FilesWrittenApartJoinIntoTheDocumentOrOneLineEach) {
    std::ostringstream whole;
    JsonReportWriter document(whole);
    FeedTwoFiles(document);
    document.Finish();

    WriterPerFile entries(JsonLayout::Entry);
    FeedTwoFiles(entries);
    ASSERT_EQ(entries.texts.size(), 3U);
    std::string joined(kJsonDocumentStart);
    for (std::size_t i = 0; i < entries.texts.size(); ++i) {
        joined += (i == 0 ? "" : std::string(kJsonEntrySeparator)) + entries.texts[i];
    }
    EXPECT_EQ(joined + JsonDocumentEnd(true), whole.str());

    WriterPerFile lines(JsonLayout::Line);
    FeedTwoFiles(lines);
    ASSERT_EQ(lines.texts.size(), 3U);
    for (std::size_t i = 0; i < lines.texts.size(); ++i) {
        EXPECT_EQ(lines.texts[i], OnOneLine(entries.texts[i]) + "\n");
    }
    EXPECT_EQ(JsonDocumentEnd(false, "{\"files\": 0}"), "],\n \"summary\": {\"files\": 0}}\n");
}

}  // namespace
