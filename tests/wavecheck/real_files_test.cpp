// The findings on every real file of the shared collections, each one read
// and judged true of its file, kept in data/expected_findings.tsv. A change to
// the check that adds, drops or rewords a finding on a real file shows here.
// ONDULO_UPDATE_GOLDEN=1 writes the file anew, to be read before it is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"

namespace {

// "corpus2/name.wav<TAB>level<TAB>offset<TAB>chunk<TAB>code<TAB>sentence" per finding.
std::vector<std::string> FindingLines(const std::filesystem::path& file, const std::string& shown) {
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;
    if (document.Load(file.string(), &check) != wavedoc::LoadOk) return {};
    const wavecheck::Findings findings = check.Finish(document);
    std::vector<std::string> lines;
    for (const wavecheck::Finding& f : findings.shown) {
        lines.push_back(shown + "\t" + std::string(wavecheck::LevelName(f.level)) + "\t" +
                        std::to_string(f.offset) + "\t" + f.chunk + "\t" + f.code + "\t" + f.message);
    }
    if (!findings.Finished()) lines.push_back(shown + "\tunfinished\t" + findings.unfinished);
    return lines;
}

TEST(RealFiles, GiveExactlyTheReviewedFindings) {
    std::vector<std::string> actual;
    int files = 0;
    for (const char* collection : {"corpus", "corpus2"}) {
        const std::filesystem::path dir = std::filesystem::path(wavtest::SharedDir()) / collection;
        if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no collection at " << dir;
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() == ".wav") paths.push_back(entry.path());
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths) {
            ++files;
            for (std::string& line :
                 FindingLines(path, std::string(collection) + "/" + path.filename().string())) {
                actual.push_back(std::move(line));
            }
        }
    }
    EXPECT_GT(files, 150);
    std::string text;
    for (const std::string& line : actual) text += line + "\n";

    const std::string expectedPath = std::string(ONDULO_TEST_DATA_DIR) + "/expected_findings.tsv";
    if (std::getenv("ONDULO_UPDATE_GOLDEN") != nullptr) std::ofstream(expectedPath, std::ios::binary) << text;
    std::ifstream expectedFile(expectedPath, std::ios::binary);
    ASSERT_TRUE(expectedFile) << "missing " << expectedPath;
    std::stringstream expected;
    expected << expectedFile.rdbuf();
    EXPECT_EQ(text, expected.str());
}

}  // namespace
