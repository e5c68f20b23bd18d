// Every row that carries a range of the file shows what those bytes hold:
// over every file of the real collections, the bytes at each row's range,
// read by the rule its value follows (a number, a text, hex digits), give the
// value shown. A row whose value describes its bytes rather than reproducing
// them (a note name, a float, a sentence) is counted apart, by label.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "report/file_report.h"
#include "report/json_writer.h"
#include "report/structure_rows.h"
#include "support/corpus.h"
#include "support/row_range_rule.h"
#include "text/counted.h"
#include "text/cut_text.h"
#include "text/display_text.h"

namespace {

using namespace wavtest::ranges;

// What ReportFile gives one file: the rows of its listed chunks and of its
// map's entries, each with its range when it has one.
class RangeCollector : public report::ReportWriter {
public:
    void Refused(const std::string&, std::int16_t, const std::string&) override {}
    void BeginFile(const std::string&, const report::FileOverview& overview) override {
        if (overview.structure == nullptr || overview.document == nullptr) return;
        report::StructureRows decoded(*overview.document);
        for (const wavedoc::MapEntry& entry : overview.structure->entries) {
            const std::optional<report::StructureRows::Rows> rows = decoded.For(entry);
            if (!rows) continue;
            for (std::size_t i = 0; i < rows->rows.size(); ++i) Keep(rows->rows[i], rows->ranges.at(i));
        }
    }
    void BeginChunk(const report::ListedChunk&) override {}
    void EndChunk(const std::optional<std::string>&) override {}
    void EndFile() override {}
    bool WantsFindings() const override { return false; }
    void AppendRow(std::string_view row) override { Keep(row, Range()); }

    std::vector<RangedRow> ranged;
    std::size_t unranged = 0;

private:
    void Keep(std::string_view row, const std::optional<rows::ByteRange>& at) {
        if (!at) {
            ++unranged;
            return;
        }
        const auto [label, value] = rows::SplitRow(row);
        ranged.push_back({std::string(label), std::string(value), label.size() == row.size(), *at});
    }
};

// At most `most` bytes of `path` from `offset` on.
std::string ReadAt(const std::string& path, std::uint64_t offset, std::uint64_t most) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string bytes(most, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(most));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

struct WalkCounts {
    std::map<Rule, std::size_t> byRule;
    std::map<std::string, std::size_t> described;  // by label
    std::size_t unranged = 0;
    std::size_t failed = 0;
    std::size_t files = 0;
};

void WalkFile(const std::string& path, WalkCounts& counts) {
    RangeCollector rows;
    report::ReportFile(path, rows);
    const std::uint64_t size = std::filesystem::file_size(path);
    const bool bigEndian = ReadAt(path, 0, 4) == "RIFX";
    ++counts.files;
    counts.unranged += rows.unranged;
    // Most rows of a large file are alike: the first few thousand are enough.
    const std::size_t checked = std::min<std::size_t>(rows.ranged.size(), 20000);
    for (std::size_t i = 0; i < checked; ++i) {
        const RangedRow& row = rows.ranged[i];
        ASSERT_LE(row.at.offset, size) << path << ": " << row.label;
        ASSERT_LE(row.at.length, size - row.at.offset)
            << path << ": " << row.label << " at " << row.at.offset;
        const std::string bytes =
            ReadAt(path, row.at.offset, std::min<std::uint64_t>(row.at.length, 1 << 16));
        const auto [rule, agrees] = Check(row, bytes, bigEndian);
        ++counts.byRule[rule];
        if (rule == Rule::Described) ++counts.described[row.label.substr(row.label.find_first_not_of(' '))];
        if (!agrees) {
            ++counts.failed;
            ADD_FAILURE() << path << ": \"" << row.label << "\" shows \""
                          << text::DisplayUtf8(row.value).substr(0, 80) << "\" but the " << row.at.length
                          << " bytes at " << row.at.offset << " are "
                          << text::HexDigits(std::string_view(bytes).substr(0, 16), text::HexCase::Upper,
                                             " ");
        }
    }
}

TEST(RowRanges, EveryRangeHoldsTheValueItsRowShows) {
    WalkCounts counts;
    // The test corpus is always there; the shared collections when they are.
    const std::filesystem::path shared(wavtest::SharedDir());
    const bool withShared = std::filesystem::is_directory(shared / "corpus");
    for (const std::filesystem::path& folder :
         {shared / "corpus", shared / "corpus2", std::filesystem::path(wavtest::CorpusDir())}) {
        if (!std::filesystem::is_directory(folder)) {
            std::cout << folder.string() << " is not there: its files are not walked\n";
            continue;
        }
        std::vector<std::string> paths;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            if (file.is_regular_file() && file.path().extension() != ".md")
                paths.push_back(file.path().string());
        }
        std::sort(paths.begin(), paths.end());
        for (const std::string& path : paths) {
            WalkFile(path, counts);
            if (counts.failed > 20) FAIL() << "more than 20 rows disagree with their bytes";
        }
    }
    EXPECT_GT(counts.files, withShared ? 100u : 20u);
    // The common kinds are each met many times, so none is checked by chance.
    EXPECT_GT(counts.byRule[Rule::Number], withShared ? 1000u : 200u);
    EXPECT_GT(counts.byRule[Rule::Text], withShared ? 100u : 20u);
    EXPECT_GT(counts.byRule[Rule::HexBytes], withShared ? 100u : 20u);
    std::ostringstream summary;
    summary << counts.files << " files; rows without a range " << counts.unranged << "; checked as number "
            << counts.byRule[Rule::Number] << ", hex number " << counts.byRule[Rule::HexNumber]
            << ", hex bytes " << counts.byRule[Rule::HexBytes] << ", text " << counts.byRule[Rule::Text]
            << ", text within " << counts.byRule[Rule::TextWithin] << ", ID3 frame "
            << counts.byRule[Rule::Frame] << "; placeholders and headings "
            << counts.byRule[Rule::Placeholder] << "; described:";
    for (const auto& [label, count] : counts.described) summary << " " << label << " " << count << ";";
    std::cout << summary.str() << "\n";
}

}  // namespace
