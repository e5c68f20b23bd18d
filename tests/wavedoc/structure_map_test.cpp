#include "wavedoc/structure_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "document_helpers.h"
#include "support/corpus.h"

using namespace wavtest;
using wavedoc::Listing;
using wavedoc::MapEntry;
using wavedoc::Stray;
using wavedoc::WaveDocument;

namespace {

const std::string kFmt = Chunk("fmt ", PcmFormat(1, 8000, 8));

// The bytes a level covers, its lists' children checked against their list on the way.
std::uint64_t CoveredBytes(const std::vector<MapEntry>& entries) {
    std::uint64_t covered = 0;
    for (const MapEntry& entry : entries) {
        if (!entry.children.empty()) {
            EXPECT_EQ(4 + CoveredBytes(entry.children), entry.present) << "list at " << entry.offset;
        }
        covered += entry.Covered();
    }
    return covered;
}

std::string Summary(const std::vector<MapEntry>& entries) {
    std::string out;
    for (const MapEntry& entry : entries) {
        out += (out.empty() ? "" : " ") + std::to_string(entry.offset) + ":" +
               (entry.IsChunk() ? entry.id : "(" + std::to_string(entry.length) + ")") +
               (entry.listing == Listing::Listed ? "" : "!");
        if (!entry.children.empty()) out += "[" + Summary(entry.children) + "]";
    }
    return out;
}

struct MapCase {
    const char* what;
    std::string file;
    std::string expected;  // offset:id per entry, "!" when not listed, children in brackets
};
void PrintTo(const MapCase& c, std::ostream* os) { *os << c.what; }

class StructureMap : public testing::TestWithParam<MapCase> {};

TEST_P(StructureMap, ListsEveryChunkAndCoversEveryByte) {
    WaveDocument document;
    LoadOrFail(document, GetParam().file);
    const std::vector<MapEntry> map = wavedoc::MapStructure(document);
    EXPECT_EQ(Summary(map), GetParam().expected);
    EXPECT_EQ(12 + CoveredBytes(map), GetParam().file.size());
}

const std::string kAdtl =
    Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "a")) + Chunk("file", "")));
const std::string kInfo = Chunk("LIST", ListPayload("INFO", Chunk("ISFT", "x")));

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, StructureMap,
    testing::Values(
        MapCase{"plain", RiffFile(kFmt + Chunk("data", "d")), "12:fmt  36:data"},
        MapCase{"unknown and duplicate", RiffFile(Chunk("bext", "b") + kFmt + kFmt + Chunk("data", "")),
                "12:bext! 22:fmt  46:fmt ! 70:data"},
        MapCase{"lists", RiffFile(kFmt + kInfo + kAdtl),
                "12:fmt  36:LIST![48:ISFT!] 58:LIST[70:labl 84:file!]"},
        MapCase{"stray bytes", RiffFile(kFmt + "\x01\x02\x03\x04\x05\x06\x07\x08\x09"), "12:fmt  36:(9)!"},
        MapCase{"cut header", RiffFile(kFmt + "data\x02"), "12:fmt  36:(5)!"},
        MapCase{"pad byte missing and present",
                RiffFile(Chunk("fact", "abc", {}, false) + Chunk("JUNK", "x") + kFmt),
                "12:fact 23:JUNK! 33:fmt "},
        MapCase{"runs past the end", RiffFile(kFmt + Chunk("data", "dd", 1000)), "12:fmt  36:data"}));

TEST(StructureMap, MarksChunksAfterTheRiffEnd) {
    const std::string file = RiffFile(kFmt, "WAVE", 28) + Chunk("id3 ", "tag");
    WaveDocument document;
    LoadOrFail(document, file);
    const std::vector<MapEntry> map = wavedoc::MapStructure(document);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_FALSE(map[0].afterRiffEnd);
    EXPECT_TRUE(map[1].afterRiffEnd);
    EXPECT_EQ(map[1].Why(), "Ondulo does not decode this chunk type.");
}

TEST(StructureMap, EndsAVeryLongLevelInOneEntry) {
    std::string chunks;
    for (std::size_t i = 0; i < wavedoc::kMostMapped + 10; ++i) chunks += Chunk("JUNK", "");
    const std::string file = RiffFile(chunks);
    WaveDocument document;
    LoadOrFail(document, file);
    const std::vector<MapEntry> map = wavedoc::MapStructure(document);
    ASSERT_EQ(map.size(), wavedoc::kMostMapped + 1);
    EXPECT_EQ(map.back().stray, Stray::Unmapped);
    EXPECT_EQ(map.back().length, 80u);
    EXPECT_EQ(12 + CoveredBytes(map), file.size());
}

// Every real file of the corpus is covered byte for byte.
TEST(StructureMap, CoversEveryByteOfRealFiles) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir())) {
        if (entry.path().extension() != ".wav") continue;
        WaveDocument document;
        if (document.Load(entry.path().string()) != wavedoc::LoadOk) continue;
        ++files;
        EXPECT_EQ(12 + CoveredBytes(wavedoc::MapStructure(document)),
                  std::filesystem::file_size(entry.path()))
            << entry.path();
    }
    EXPECT_GT(files, 10);
}

}  // namespace
