#include "wavedoc/document/structure_map.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The bytes the top level covers; on the way, each walked list's sub-chunks
// must cover its content after the list type exactly.
std::uint64_t CoveredBytes(const std::vector<MapEntry>& entries) {
    struct Open {
        const MapEntry* list;
        std::uint64_t covered;
    };
    std::vector<Open> open;
    std::uint64_t top = 0;
    const auto close = [&](std::size_t depth) {
        for (; open.size() > depth; open.pop_back()) {
            EXPECT_EQ(4 + open.back().covered, open.back().list->present)
                << "list at " << open.back().list->offset;
        }
    };
    for (const MapEntry& entry : entries) {
        close(static_cast<std::size_t>(entry.depth));
        (open.empty() ? top : open.back().covered) += entry.Covered();
        if (entry.IsList() && !entry.notWalked && entry.present > 4) open.push_back({&entry, 0});
    }
    close(0);
    return top;
}

// offset:id per entry, "!" when not listed, a list's sub-chunks in brackets.
std::string Summary(const std::vector<MapEntry>& entries) {
    std::string out;
    int depth = 0;
    for (const MapEntry& entry : entries) {
        for (; depth > entry.depth; --depth) out += "]";
        if (entry.depth > depth) {
            out += "[";
            depth = entry.depth;
        } else if (!out.empty()) {
            out += " ";
        }
        out += std::to_string(entry.offset) + ":" +
               (entry.IsChunk() ? entry.id : "(" + std::to_string(entry.length) + ")") +
               (entry.listing == Listing::Listed ? "" : "!");
    }
    for (; depth > 0; --depth) out += "]";
    return out;
}

const std::vector<MapEntry>& MapOf(const WaveDocument& document) { return document.Structure().entries; }

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
    const std::vector<MapEntry>& map = MapOf(document);
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

// Why the window does not list the first sub-chunk it leaves out: an item of
// a list of another type than adtl is no fault, only not shown.
TEST(StructureMap, SaysWhyASubChunkIsNotListed) {
    const std::pair<std::string, std::string> cases[] = {
        // file, why
        {RiffFile(kFmt + kInfo), "An item of a LIST (INFO) list, which the chunk list does not show."},
        {RiffFile(kFmt + Chunk("list", ListPayload("exif", Chunk("ever", "0220")))),
         "An item of a list (exif) list, which the chunk list does not show."},
        {RiffFile(kFmt + kAdtl), "Not a label, note or labelled text: the list shows those."},
        {RiffFile(kFmt + kInfo + kAdtl), "Inside a list that is not shown."},
    };
    for (const auto& [file, why] : cases) {
        WaveDocument document;
        LoadOrFail(document, file);
        const std::vector<MapEntry>& map = MapOf(document);
        const auto left = std::find_if(map.begin(), map.end(), [](const MapEntry& entry) {
            return entry.depth == 1 && entry.listing != Listing::Listed;
        });
        ASSERT_NE(left, map.end()) << Summary(map);
        EXPECT_EQ(left->Why(), why) << Summary(map);
    }
}

TEST(StructureMap, MarksChunksAfterTheRiffEnd) {
    const std::string file = RiffFile(kFmt, "WAVE", 28) + Chunk("id3 ", "tag");
    WaveDocument document;
    LoadOrFail(document, file);
    const std::vector<MapEntry>& map = MapOf(document);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_FALSE(map[0].afterRiffEnd);
    EXPECT_TRUE(map[1].afterRiffEnd);
    EXPECT_EQ(map[1].Why(), "The chunk list does not show this chunk type.");
}

TEST(StructureMap, EndsAVeryLongLevelInOneEntry) {
    std::string chunks;
    for (std::size_t i = 0; i < wavedoc::kMostMapped + 10; ++i) chunks += Chunk("JUNK", "");
    const std::string file = RiffFile(chunks);
    WaveDocument document;
    LoadOrFail(document, file);
    const std::vector<MapEntry>& map = MapOf(document);
    ASSERT_EQ(map.size(), wavedoc::kMostMapped + 1);
    EXPECT_EQ(map.back().stray, Stray::Unmapped);
    EXPECT_EQ(map.back().length, 80u);
    EXPECT_EQ(map.back().leftOut, 10u);
    EXPECT_EQ(12 + CoveredBytes(map), file.size());
}

// Lists of lists multiply no per-level cap: the whole map is bounded, and
// each level still open when it fills ends in one entry for the rest.
TEST(StructureMap, BoundsTheWholeMapAcrossLists) {
    std::string subChunks;
    for (int i = 0; i < 3000; ++i) subChunks += Chunk("JUNK", "");
    std::string lists;
    for (int i = 0; i < 5; ++i) lists += Chunk("LIST", ListPayload("INFO", subChunks));
    const std::string file = RiffFile(kFmt + lists + Chunk("data", "dd"));
    WaveDocument document;
    LoadOrFail(document, file);
    const wavedoc::StructureMap& map = document.Structure();
    EXPECT_TRUE(map.full);
    ASSERT_EQ(map.entries.size(), wavedoc::kMostMapped + 2);
    const MapEntry& inner = map.entries[map.entries.size() - 2];
    const MapEntry& outer = map.entries.back();
    EXPECT_EQ(inner.stray, Stray::Unmapped);
    EXPECT_EQ(inner.depth, 1);
    EXPECT_EQ(outer.stray, Stray::Unmapped);
    EXPECT_EQ(outer.depth, 0);
    // 5 lists of 3000 and the data chunk: 15006 entries besides fmt.
    EXPECT_EQ(inner.leftOut + outer.leftOut + map.entries.size() - 3, 15006u);
    EXPECT_EQ(12 + CoveredBytes(map.entries), file.size());
}

// However deep lists nest, the walk stops at a depth of its own; the list
// there is one entry that covers all it holds.
TEST(StructureMap, StopsAtItsDepthInDeeplyNestedLists) {
    const std::string file = RiffFile(kFmt + NestedLists(25000, Chunk("labl", LabelPayload(1, "deep"))));
    WaveDocument document;
    LoadOrFail(document, file);
    const std::vector<MapEntry>& map = MapOf(document);
    ASSERT_EQ(map.size(), 1u + wavedoc::kMostListDepth);
    EXPECT_TRUE(map.back().notWalked);
    EXPECT_EQ(map.back().depth, wavedoc::kMostListDepth - 1);
    EXPECT_EQ(12 + CoveredBytes(map), file.size());
    ASSERT_EQ(document.LoadNotes().size(), 1u);
    EXPECT_NE(document.LoadNotes()[0].find("deeper than Ondulo walks"), std::string::npos);
}

// Every real file of the corpus is covered byte for byte.
TEST(StructureMap, CoversEveryByteOfRealFiles) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir())) {
        if (entry.path().extension() != ".wav") continue;
        WaveDocument document;
        if (document.Load(entry.path().string()) != wavedoc::LoadOk) continue;
        ++files;
        EXPECT_EQ(12 + CoveredBytes(MapOf(document)), std::filesystem::file_size(entry.path()))
            << entry.path();
    }
    EXPECT_GT(files, 10);
}

}  // namespace
