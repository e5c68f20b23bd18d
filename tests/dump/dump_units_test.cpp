#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "app/dump/dump_options.h"
#include "app/dump/progress_line.h"
#include "report/file_report.h"
#include "report/file_summary.h"
#include "report/json_writer.h"
#include "report/text_report.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"

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

// The progress line says how far the audio read is, of the audio of the
// passes begun, as a share.
TEST(DumpProgress, NamesTheAudioReadOfItsTotalAndTheShare) {
    constexpr std::uint64_t kMb = 1 << 20;
    const struct {
        AudioBytes audio;
        std::string ends;
    } rows[] = {
        {{}, "files, 0 files/s, 0:02"},
        {{1200 * kMb, 3400 * kMb}, "0:02, 1,200 of 3,400 MB of audio read, 35 %"},
        {{50, 50}, "0:02, 0 of 0 MB of audio read, 100 %"},
        {{10 * kMb, 5 * kMb}, "0:02, 10 of 10 MB of audio read, 100 %"},
    };
    for (const auto& row : rows) {
        const std::string line = ProgressText(0, 1, false, std::chrono::milliseconds(2500), row.audio);
        EXPECT_TRUE(line.ends_with(row.ends)) << line;
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
        // A character above U+FFFF takes eight digits; spelt out, it stays distinct.
        {"a\xF3\xA0\x80\x81", "\"a\xF3\xA0\x80\x81\"", "a\\U000e0001"},
        {"a\\U000e0001", "\"a\\\\U000e0001\"", "a\\u005cU000e0001"},
    };
    for (const auto& [raw, json, terminal] : cases) {
        EXPECT_EQ(report::JsonString(raw), json) << raw;
        EXPECT_EQ(text::TerminalText(raw), terminal) << raw;
    }
}

// A row is two fields, label and value, parted by the first TAB: a TAB the
// file holds inside a value is escaped, so the line does not split further.
TEST(DumpText, ATabInsideAValueKeepsTheRowToTwoFields) {
    const wavtest::ScratchDir scratch;
    const std::string info = wavtest::Chunk("INAM", std::string("a\tb\0", 4));
    const std::string path = scratch.File(
        "tab.wav", wavtest::RiffFile(wavtest::Chunk("fmt ", wavtest::PcmFormat(1, 8000, 16)) +
                                     wavtest::Chunk("data", "abcd") + wavtest::Chunk("LIST", "INFO" + info)));
    std::ostringstream out;
    std::ostringstream errors;
    report::TextReportWriter writer(out, errors, report::TextParts{.structure = true, .findings = false});
    report::ReportFile(path, writer);
    const std::string text = out.str();
    const std::size_t value = text.find("a\\u0009b");
    ASSERT_NE(value, std::string::npos) << text;
    const std::size_t start = text.rfind('\n', value) + 1;
    const std::string line = text.substr(start, text.find('\n', value) - start);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 1) << line;
}

// A code point as UTF-8.
std::string Utf8(char32_t c) {
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (c < 0x80) return {byte(c)};
    if (c < 0x800) return {byte(0xC0 | (c >> 6)), byte(0x80 | (c & 0x3F))};
    if (c < 0x10000) return {byte(0xE0 | (c >> 12)), byte(0x80 | ((c >> 6) & 0x3F)), byte(0x80 | (c & 0x3F))};
    return {byte(0xF0 | (c >> 18)), byte(0x80 | ((c >> 12) & 0x3F)), byte(0x80 | ((c >> 6) & 0x3F)),
            byte(0x80 | (c & 0x3F))};
}

// Every character without a visible glyph of its own is escaped, found by its
// Unicode properties (format character, default-ignorable, blank filler), and
// none of its visible neighbours is. Combining marks that draw something, such
// as an acute accent, stay: they change how the letter before them looks.
TEST(DumpText, EscapesEveryCharacterWithoutAVisibleGlyph) {
    const std::pair<char32_t, std::string> cases[] = {
        // code point, as the terminal shows it ("" for as it is)
        {0x00AD, "\\u00ad"},       // soft hyphen
        {0x00AE, ""},              // registered sign
        {0x0301, ""},              // combining acute accent, drawn over the "a" before it
        {0x034F, "\\u034f"},       // combining grapheme joiner
        {0x0600, "\\u0600"},       // Arabic number sign, a format character
        {0x115F, "\\u115f"},       // Hangul choseong filler
        {0x1160, "\\u1160"},       // Hangul jungseong filler
        {0x17B4, "\\u17b4"},       // Khmer vowel inherent aq
        {0x180E, "\\u180e"},       // Mongolian vowel separator
        {0x180F, "\\u180f"},       // Mongolian free variation selector four
        {0x200B, "\\u200b"},       // zero width space
        {0x2028, "\\u2028"},       // line separator
        {0x2060, "\\u2060"},       // word joiner
        {0x2065, "\\u2065"},       // reserved among the invisible operators
        {0x206A, "\\u206a"},       // inhibit symmetric swapping
        {0x206F, "\\u206f"},       // nominal digit shapes
        {0x2800, "\\u2800"},       // Braille pattern blank
        {0x2801, ""},              // Braille pattern dots-1
        {0x3164, "\\u3164"},       // Hangul filler
        {0xFE0F, "\\ufe0f"},       // variation selector-16
        {0xFE10, ""},              // presentation form for vertical comma
        {0xFEFF, "\\ufeff"},       // zero width no-break space
        {0xFFA0, "\\uffa0"},       // halfwidth Hangul filler
        {0xFFF0, "\\ufff0"},       // reserved, default-ignorable
        {0xFFF9, "\\ufff9"},       // interlinear annotation anchor
        {0xFFFB, "\\ufffb"},       // interlinear annotation terminator
        {0xFFFC, ""},              // object replacement character
        {0x1BCA0, "\\U0001bca0"},  // shorthand format letter overlap
        {0x1D173, "\\U0001d173"},  // musical symbol begin beam
        {0x1D17A, "\\U0001d17a"},  // musical symbol end phrase
        {0x1D17B, ""},             // musical symbol combining accent
        {0x1F600, ""},             // grinning face
        {0xE0000, "\\U000e0000"},  // reserved, default-ignorable
        {0xE0001, "\\U000e0001"},  // language tag
        {0xE007F, "\\U000e007f"},  // cancel tag
        {0xE0100, "\\U000e0100"},  // variation selector-17
        {0xE01EF, "\\U000e01ef"},  // variation selector-256
        {0xE0FFF, "\\U000e0fff"},  // last of the reserved default-ignorable range
        {0xE1000, ""},             // unassigned, and nothing keeps it invisible
    };
    for (const auto& [c, escaped] : cases) {
        const std::string expected = "a" + (escaped.empty() ? Utf8(c) : escaped) + "b";
        EXPECT_EQ(text::TerminalText("a" + Utf8(c) + "b"), expected) << std::hex << "U+" << std::uint32_t{c};
    }
}

// Two different names never print alike: bytes that are not UTF-8 show as
// \xHH in a path, and carry their bytes in JSON.
TEST(DumpText, PathsThatAreNotUtf8KeepTheirBytes) {
    EXPECT_EQ(text::TerminalPath("caf\xC3\xA9.wav"), "caf\xC3\xA9.wav");
    EXPECT_EQ(text::TerminalPath("caf\xE9.wav"), "caf\\xe9.wav");
    EXPECT_EQ(text::TerminalPath("a\\b\x1b.wav"), "a\\u005cb\\u001b.wav");
    EXPECT_EQ(report::HexBytes("caf\xE9"), "636166e9");
}

// Feeds a writer what ReportFile would for one read file and one refused one.
void FeedTwoFiles(report::ReportWriter& writer) {
    const auto readFile = [&] {
        writer.BeginFile("a.wav", report::FileOverview{{{"RIFF", 40}, {"cue ", -4}},
                                                       {"The data chunk runs past the end."},
                                                       {"bext", "LIST (INFO)"},
                                                       {},
                                                       {},
                                                       {},
                                                       {},
                                                       {}});
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
    report::TextReportWriter writer(out, errors);
    FeedTwoFiles(writer);
    const std::string oneFile =
        "a.wav\n"
        "RIFF\t40\n"
        "cue \t-4\n"
        "! The data chunk runs past the end.\n"
        "! Also in the file: bext, LIST (INFO).\n"
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
    report::JsonReportWriter writer(out);
    FeedTwoFiles(writer);
    writer.Finish();
    const std::string oneFile =
        "  {\"path\": \"a.wav\", \"status\": 0, \"error\": null, \"notes\": [\"The data chunk runs past the "
        "end.\"], \"also_in_file\": [\"bext\", \"LIST (INFO)\"],\n   \"structure\": [],\n   \"findings\": "
        "[],\n"
        "   \"finding_counts\": {\"error\": 0, \"warning\": 0, \"note\": 0, \"by_code\": {}},\n"
        "   \"unfinished\": null,\n   \"chunks\": [\n"
        "    {\"name\": \"RIFF\", \"size\": 40, \"rows\": [\n      [\"RIFF Type\", \"WAVE\"]\n    ], "
        "\"error\": null},\n"
        "    {\"name\": \"cue \", \"size\": -4, \"rows\": [\n      [\"Number of cue points\", \"2\"],\n"
        "      [\"     Cue Point #1\"],\n      [\"\"]\n    ], \"error\": \"It stopped.\"}\n  ]}";
    EXPECT_EQ(
        out.str(),
        "{\"files\": [\n" + oneFile +
            ",\n  {\"path\": \"b.wav\", \"status\": 1, \"error\": \"b.wav does not start with "
            "RIFF.\", \"notes\": [], \"also_in_file\": [],\n   \"structure\": [],\n   \"findings\": [],\n"
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

// The dump and the window's status line name the same chunk types: those at
// the top level that the list leaves out, once each, in file order.
TEST(DumpAlsoInFile, NamesEachTopLevelTypeTheListLeavesOutOnce) {
    using wavedoc::Listing;
    wavedoc::MapEntry info = ChunkEntry(44, "LIST", 12, Listing::OtherList);
    info.listType = "INFO";
    wavedoc::MapEntry inInfo = ChunkEntry(56, "ISFT", 0, Listing::OtherList);
    inInfo.depth = 1;
    wavedoc::MapEntry stray;
    stray.offset = 112;
    stray.length = 3;
    stray.listing = Listing::Bytes;
    stray.stray = wavedoc::Stray::NotAChunk;
    const wavedoc::StructureMap map{
        {ChunkEntry(12, "fmt ", 16), ChunkEntry(36, "bext", 0, Listing::UnknownType), info, inInfo,
         ChunkEntry(64, "bext", 0, Listing::UnknownType), ChunkEntry(72, "fmt ", 16, Listing::LaterDuplicate),
         ChunkEntry(96, "iXML", 8, Listing::UnknownType), stray},
        false};
    const std::vector<std::string> names = report::AlsoInFile(map);
    EXPECT_EQ(names, (std::vector<std::string>{"bext", "LIST (INFO)", "iXML"}));
    EXPECT_EQ(report::AlsoInFileSentence(names), "Also in the file: bext, LIST (INFO), iXML.");

    // A later list of the shown list's type has a note of its own.
    wavedoc::MapEntry shown = ChunkEntry(12, "LIST", 4);
    shown.listType = "adtl";
    wavedoc::MapEntry later = ChunkEntry(24, "LIST", 4, Listing::OtherList);
    later.listType = "adtl";
    const wavedoc::StructureMap allListed{
        {ChunkEntry(12, "fmt ", 16), shown, later, ChunkEntry(36, "data", 0)}, false};
    EXPECT_TRUE(report::AlsoInFile(allListed).empty());
    EXPECT_EQ(report::AlsoInFileSentence({}), "");
    EXPECT_EQ(report::AlsoInFileSentence({"a", "b", "c", "d", "e", "f", "g"}),
              "Also in the file: a, b, c, d, e and 2 more.");
}

// A long quoted name is shortened in the middle, never inside a character,
// and what follows it in the sentence is kept.
TEST(StatusSentence, ShortensLongQuotedNamesInTheMiddle) {
    const std::string ellipsis = "\xE2\x80\xA6";
    const std::string longPath = "/" + std::string(99, 'a') + std::string(100, 'z');
    const std::string accents = [] {
        std::string e;
        for (int i = 0; i < 100; ++i) e += "\xC3\xA9";
        return e;
    }();
    const struct {
        const char* what;
        std::string sentence;
        std::string shortened;
    } cases[] = {
        {"short name kept", "The file \"a.wav\" is fine.", "The file \"a.wav\" is fine."},
        {"long path", "The file \"" + longPath + "\" has changed.",
         "The file \"/" + std::string(9, 'a') + ellipsis + std::string(10, 'z') + "\" has changed."},
        {"a later quoted id stays", "The file \"" + longPath + "\" holds \"fmt \".",
         "The file \"/" + std::string(9, 'a') + ellipsis + std::string(10, 'z') + "\" holds \"fmt \"."},
        {"UTF-8 kept whole", "\"" + accents + "\"",
         "\"" + accents.substr(0, 10) + ellipsis + accents.substr(0, 10) + "\""},
        {"a cut inside a character moves before it", "\"x" + accents + "\"",
         "\"x" + accents.substr(0, 8) + ellipsis + accents.substr(0, 10) + "\""},
        {"an unclosed quote left alone", "He said \"" + longPath, "He said \"" + longPath},
    };
    for (const auto& c : cases) EXPECT_EQ(report::ShortenQuotedNames(c.sentence, 20), c.shortened) << c.what;
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
    report::WriteStructure(text, map);
    EXPECT_EQ(text.str(),
              "structure:\n"
              "  12          fmt   size 16, 16 bytes present  [listed]\n"
              "  36          LIST  size 14, 14 bytes present, type INFO  " +
                  list.Why() +
                  "\n"
                  "    48          labl  size 1, 1 byte present, pad byte  Inside a list that is not shown.\n"
                  "  58          (1 byte)  These bytes do not start a chunk.\n");
    EXPECT_EQ(
        report::JsonStructure(map),
        "[{\"offset\": 12, \"id\": \"fmt \", \"size\": 16, \"present\": 16, \"pad\": false, \"listed\": "
        "true}, "
        "{\"offset\": 36, \"id\": \"LIST\", \"size\": 14, \"present\": 14, \"pad\": false, \"listed\": "
        "false, "
        "\"why\": " +
            report::JsonString(list.Why()) +
            ", \"list_type\": \"INFO\", \"children\": [{\"offset\": 48, "
            "\"id\": \"labl\", \"size\": 1, \"present\": 1, \"pad\": true, \"listed\": false, \"why\": "
            "\"Inside a list that is not shown.\"}]}, {\"offset\": 58, \"id\": null, \"length\": 1, \"why\": "
            "\"These bytes do not start a chunk.\"}]");

    wavecheck::Findings findings;
    findings.shown = {
        {"past-end", wavecheck::Level::Error, 36, 36, "data", "It runs \"past\" the end."},
        {"fmt-missing", wavecheck::Level::Error, 0, 0, "", "No fmt."},
        {"loop-type", wavecheck::Level::Warning, 96, 52, "smpl", "Loop 1 at offset 96 is odd."}};
    findings.counts = {{"past-end", 1, 1}, {"fmt-missing", 1, 1}, {"loop-type", 1, 1}};
    findings.errors = 2;
    findings.warnings = 1;
    std::ostringstream lines;
    report::WriteFindings(lines, findings);
    const std::string loopLine = "  warning\t96\tsmpl\tloop-type\tLoop 1 at offset 96 is odd.\n";
    EXPECT_EQ(lines.str(),
              "findings:\n  error\t36\tdata\tpast-end\tIt runs \"past\" the end.\n"
              "  error\t0\t-\tfmt-missing\tNo fmt.\n" +
                  loopLine);
    // A finding about a record gives the offset of its chunk too.
    EXPECT_EQ(
        report::JsonFindings(findings),
        "[{\"code\": \"past-end\", \"level\": \"error\", \"offset\": 36, \"chunk_offset\": 36, \"chunk\": "
        "\"data\", \"message\": \"It runs \\\"past\\\" the end.\"}, {\"code\": \"fmt-missing\", \"level\": "
        "\"error\", \"offset\": 0, \"chunk_offset\": 0, \"chunk\": null, \"message\": \"No fmt.\"}, "
        "{\"code\": \"loop-type\", \"level\": \"warning\", \"offset\": 96, \"chunk_offset\": 52, "
        "\"chunk\": \"smpl\", \"message\": \"Loop 1 at offset 96 is odd.\"}]");
    std::ostringstream none;
    report::WriteFindings(none, {});
    EXPECT_EQ(none.str(), "findings: none\n");

    // Past the findings kept of a code, one line counts the rest; a check
    // that could not finish says so.
    findings.counts = {{"past-end", 41, 1}, {"fmt-missing", 1, 1}, {"loop-type", 1, 1}};
    findings.unfinished = "The file \"x.wav\" has changed since it was analysed.";
    std::ostringstream capped;
    report::WriteFindings(capped, findings);
    EXPECT_EQ(capped.str(),
              "findings:\n  error\t36\tdata\tpast-end\tIt runs \"past\" the end.\n"
              "  ...\t-\t-\tpast-end\tand 40 more past-end findings.\n"
              "  error\t0\t-\tfmt-missing\tNo fmt.\n" +
                  loopLine +
                  "! The check could not finish: The file \"x.wav\" has changed since it was analysed.\n");
}

}  // namespace

namespace {

// Hands each file to a JsonReportWriter of its own and keeps each file's text
// apart, as ondulo-dump does when it reports files on several threads.
class WriterPerFile : public report::ReportWriter {
public:
    explicit WriterPerFile(report::JsonLayout layout) : layout_(layout) {}

    void Refused(const std::string& path, std::int16_t status, const std::string& reason) override {
        Start().Refused(path, status, reason);
        texts.push_back(out_.str());
    }
    void BeginFile(const std::string& path, const report::FileOverview& overview) override {
        Start().BeginFile(path, overview);
    }
    void BeginChunk(const report::ListedChunk& chunk) override { writer_->BeginChunk(chunk); }
    void AppendRow(std::string_view row) override { writer_->AppendRow(row); }
    void EndChunk(const std::optional<std::string>& error) override { writer_->EndChunk(error); }
    void EndFile() override {
        writer_->EndFile();
        texts.push_back(out_.str());
    }

    std::vector<std::string> texts;

private:
    report::JsonReportWriter& Start() {
        out_.str("");
        writer_ = std::make_unique<report::JsonReportWriter>(out_, layout_);
        return *writer_;
    }

    report::JsonLayout layout_;
    std::ostringstream out_;
    std::unique_ptr<report::JsonReportWriter> writer_;
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
    report::JsonReportWriter document(whole);
    FeedTwoFiles(document);
    document.Finish();

    WriterPerFile entries(report::JsonLayout::Entry);
    FeedTwoFiles(entries);
    ASSERT_EQ(entries.texts.size(), 3U);
    std::string joined(report::kJsonDocumentStart);
    for (std::size_t i = 0; i < entries.texts.size(); ++i) {
        joined += (i == 0 ? "" : std::string(report::kJsonEntrySeparator)) + entries.texts[i];
    }
    EXPECT_EQ(joined + report::JsonDocumentEnd(true), whole.str());

    WriterPerFile lines(report::JsonLayout::Line);
    FeedTwoFiles(lines);
    ASSERT_EQ(lines.texts.size(), 3U);
    for (std::size_t i = 0; i < lines.texts.size(); ++i) {
        EXPECT_EQ(lines.texts[i], OnOneLine(entries.texts[i]) + "\n");
    }
    EXPECT_EQ(report::JsonDocumentEnd(false, "{\"files\": 0}"), "],\n \"summary\": {\"files\": 0}}\n");
}

}  // namespace
