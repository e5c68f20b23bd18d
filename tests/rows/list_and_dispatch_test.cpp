#include "rows/detail_rows.h"
#include "rows/fill_chunk_list.h"
#include "rows_test_support.h"
#include "text/cut_text.h"
#include "text/display_text.h"

namespace detailtest {
namespace {

TEST(ShowChunkDetails, OnlyExactNamesSelectARoutine) {
    const std::string file = WaveWith(Chunk("LIST", "adtl"));
    for (const char* name : {"LIST", "list", "fmt ", "data"}) {
        EXPECT_FALSE(ShowChunk(file, name).rows.empty()) << '"' << name << '"';
    }
    for (const char* name : {"fmt", "fmt  ", "FMT ", "List", "Data", "", "data\t2", "junk"}) {
        const Shown shown = ShowChunk(file, name);
        EXPECT_TRUE(shown.rows.empty()) << '"' << name << '"';
        EXPECT_EQ(shown.error, std::nullopt);
    }
}

TEST(FillChunkList, ListsPresentChunksInFixedOrder) {
    const std::string fmt = Chunk("fmt ", PcmFormat(1, 8000, 8));
    // clang-format off
    const std::pair<std::string, Rows> cases[] = {
        {RiffFile(fmt + Chunk("data", "ab")),
         {"RIFF\t38",
          "fmt \t16",
          "data\t2"}},
        {RiffFile(Chunk("data", "ab") + fmt),
         {"RIFF\t38",
          "fmt \t16",
          "data\t2"}},
        {RiffFile(Chunk("PAD ", std::string(2, '\0')) + Chunk("inst", std::string(7, '\0')) +
                  Chunk("smpl", SmplPayload({}, {})) + Chunk("LIST", "adtl") + Chunk("plst", U32(0)) +
                  Chunk("cue ", U32(0)) + Chunk("slnt", U32(0)) + Chunk("wavl", "") + Chunk("fact", U32(0)) +
                  Chunk("data", "") + fmt),
         {"RIFF\t174",
          "fmt \t16",
          "fact\t4",
          "wavl\t0",
          "slnt\t4",
          "cue \t4",
          "plst\t4",
          "LIST\t4",
          "smpl\t36",
          "inst\t7",
          "PAD \t2",
          "data\t0"}},
        {RiffFile(""),
         {"RIFF\t4"}},
        {RiffFile(Chunk("fact", U32(9), 0xFFFFFFF0)),
         {"RIFF\t16",
          "fact\t-16"}},
    };
    // clang-format on
    for (const auto& [file, expected] : cases) {
        wavedoc::WaveDocument document;
        ASSERT_EQ(document.LoadFromMemory(file, "built.wav"), wavedoc::LoadOk);
        rows::RowList chunks;
        rows::RowList values;
        chunks.AppendRow("old chunk\t1");
        values.AppendRow("old value\t1");
        rows::FillChunkList(document, chunks, values);
        EXPECT_EQ(chunks.Rows(), expected);
        EXPECT_TRUE(values.Rows().empty());
    }
}

TEST(DisplayUtf8, KeepsValidUtf8AndReadsOtherBytesAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain \t text", "plain \t text"},
        {"\xC2\xB5-law \xF0\x9F\x8E\xB5", "\xC2\xB5-law \xF0\x9F\x8E\xB5"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\xB5\xC2", "\xC2\xB5\xC3\x82"},                                  // lead byte cut off at the end
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                  // overlong form
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // above U+10FFFF
        {"It\x92s \x93quoted\x94", "It\xE2\x80\x99s \xE2\x80\x9Cquoted\xE2\x80\x9D"},  // curly quotes
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},          // unassigned: Latin-1
    };
    for (const auto& [raw, shown] : cases) EXPECT_EQ(text::DisplayUtf8(raw), shown) << raw;
}

TEST(SplitRow, SplitsAtTheFirstTabOnly) {
    using Cells = std::pair<std::string_view, std::string_view>;
    EXPECT_EQ(rows::SplitRow("     Text\ta\tb"), (Cells{"     Text", "a\tb"}));
    EXPECT_EQ(rows::SplitRow("     Cue Point #1"), (Cells{"     Cue Point #1", ""}));
}

}  // namespace
}  // namespace detailtest

namespace detailtest {
namespace {

// A grid that runs out of memory after `rowsBeforeFailure` rows.
class ExhaustedGrid : public rows::RowSink {
public:
    explicit ExhaustedGrid(std::size_t rowsBeforeFailure) : left_(rowsBeforeFailure) {}
    void ClearRows() override { rows.clear(); }
    void AppendRow(std::string_view row) override {
        if (left_ == 0) throw std::bad_alloc();
        --left_;
        rows.emplace_back(row);
    }
    Rows rows;

private:
    std::size_t left_;
};

TEST(ShowChunkDetails, OutOfMemoryStopsOnlyThatChunkWithASentence) {
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(WaveWith(Chunk("cue ", CuePayload({{1, 0}, {2, 0}}))), "built.wav"),
              wavedoc::LoadOk);
    ExhaustedGrid grid(3);
    EXPECT_EQ(rows::ShowChunkDetails(document, "cue ", grid),
              "The cue chunk could not be shown in full: there is not enough memory.");
    // clang-format off
    EXPECT_EQ(grid.rows, (Rows{"Number of cue points\t2",
                               "     Cue Point #1",
                               "     ID\t1"}));
    // clang-format on
    ExhaustedGrid roomy(100);
    EXPECT_EQ(rows::ShowChunkDetails(document, "fmt ", roomy), std::nullopt);
}

// A text longer than a cell shows is cut, with its length in words; the cut
// never splits a character of a UTF-8 text, and whether the text is UTF-8 is
// decided from all the bytes read, not from where the cut falls.
TEST(ShownText, CutsLongTextsAndSaysHowLongTheyAre) {
    constexpr std::size_t kLimit = wavedoc::kTextReadLimit;
    const std::string e = "\xC3\xA9";  // é
    const std::string euro = "\xE2\x82\xAC";
    const std::string as(kLimit - 1, 'a');
    const struct {
        const char* what;
        std::string read;  // the bytes ReadText gives
        std::uint64_t length;
        std::string shown;  // as the text output writes it
    } cases[] = {
        {"short", "short", 5, "short"},
        {"empty", "", 0, ""},
        {"exactly the limit", as + "a", kLimit, as + "a"},
        {"one byte over", as + "ab", kLimit + 1, as + "a ... (4,097 bytes in all)"},
        {"10 MB", as + "abcd", 10485760, as + "a ... (10,485,760 bytes in all)"},
        {"UTF-8 cut inside a character", as + e + "xy", 9000, as + " ... (9,000 bytes in all)"},
        {"UTF-8 cut after a character", e + std::string(kLimit - 2, 'a') + euro, 9000,
         e + std::string(kLimit - 2, 'a') + " ... (9,000 bytes in all)"},
        {"UTF-8 cut inside a three-byte character", e + std::string(kLimit - 3, 'a') + euro, 9000,
         e + std::string(kLimit - 3, 'a') + " ... (9,000 bytes in all)"},
        {"Windows-1252 bytes are characters of their own",
         as + "\xC3"
              "bc",
         9000, as + "\xC3 ... (9,000 bytes in all)"},
        {"Windows-1252 text with a UTF-8 lookalike at the cut", "caf\xE9" + as.substr(4) + e + "x", 9000,
         "caf\xE9" + as.substr(4) + "\xC3 ... (9,000 bytes in all)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text::ValueText(rows::ShownText(c.read, c.length, kLimit)), c.shown) << c.what;
}

// The mark of a cut text cannot be forged by a text that reads like it, nor
// by a four-character code that holds a zero byte.
TEST(CutText, TellsACutTextFromALookalike) {
    const std::string lookalike = "short ... (10,000 bytes in all)";
    EXPECT_FALSE(text::SplitCut(lookalike).wholeLength);
    EXPECT_EQ(text::ValueText(lookalike), lookalike);
    EXPECT_FALSE(text::SplitCut(std::string("\0cut", 4)).wholeLength);
    EXPECT_FALSE(text::SplitCut(std::string("a\0cut12x", 8)).wholeLength);
    const std::string marked = text::MarkCut(lookalike, 10000);
    const text::CutValue cut = text::SplitCut(marked);
    EXPECT_EQ(cut.shown, lookalike);
    EXPECT_EQ(cut.wholeLength, 10000u);
    EXPECT_EQ(text::CutMarker(1), " ... (1 byte in all)");
}

// A text that ends with its zero byte right after the read limit is shown
// whole where that much is shown, and where less is shown (a grid's cell) as
// its start with the same length: what follows the zero byte is no part of it.
TEST(ShowAssociatedData, ATextIsCountedUpToItsZeroByte) {
    class LimitedRows : public rows::RowList {
    public:
        explicit LimitedRows(std::uint64_t limit) : limit_(limit) {}
        std::uint64_t TextLimit() const override { return limit_; }

    private:
        std::uint64_t limit_;
    };
    const std::string text(wavedoc::kTextReadLimit, 'x');
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(
                  WaveWith(Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, text) +
                                                                               std::string(7000, 'y'))))),
                  "built.wav"),
              wavedoc::LoadOk);
    const std::pair<std::uint64_t, std::string> cases[] = {
        {wavedoc::kTextReadLimit, text},
        {1024, std::string(1024, 'x') + " ... (4,096 bytes in all)"},
    };
    for (const auto& [limit, shown] : cases) {
        LimitedRows rows(limit);
        EXPECT_EQ(rows::ShowChunkDetails(document, "LIST", rows), std::nullopt);
        ASSERT_EQ(rows.Rows().size(), 6u);
        EXPECT_EQ(text::ValueText(rows.Rows()[4]), "     Label text\t" + shown) << limit;
    }
}

TEST(ShowAssociatedData, ALongLabelIsShownUpToTheReadLimit) {
    const std::string text(3 * wavedoc::kTextReadLimit, 'x');
    const Shown shown =
        ShowChunk(WaveWith(Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, text))))), "LIST");
    ASSERT_EQ(shown.rows.size(), 6u);
    EXPECT_EQ(shown.rows[4],
              "     Label text\t" + std::string(wavedoc::kTextReadLimit, 'x') + " ... (12,288 bytes in all)");
}

}  // namespace
}  // namespace detailtest
