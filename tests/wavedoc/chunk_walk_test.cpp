#include <gtest/gtest.h>

#include <vector>

#include "document_helpers.h"
#include "wavecheck/findings.h"

using namespace wavtest;
using wavedoc::WaveDocument;

namespace {

struct WalkCase {
    const char* what;
    std::string file;
    std::string expectedChunks;  // as PresentChunks writes them
};
void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.what; }

class ChunkWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(ChunkWalk, FindsTheChunksTheFileHolds) {
    WaveDocument document;
    LoadOrFail(document, GetParam().file);
    EXPECT_EQ(PresentChunks(document), GetParam().expectedChunks);
}

const std::string kFmt = Chunk("fmt ", PcmFormat(1, 8000, 8));

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, ChunkWalk,
    testing::Values(
        WalkCase{"pad byte honoured", RiffFile(kFmt + Chunk("fact", "abc") + Chunk("data", "d")),
                 "fmt :16 fact:3 data:1"},
        // The pad byte after "abc" is missing: "data" follows directly.
        WalkCase{"pad byte missing", RiffFile(kFmt + Chunk("fact", "abc", {}, false) + Chunk("data", "dd")),
                 "fmt :16 fact:3 data:2"},
        // The byte after "abc" is printable, but only the padded position
        // starts a header.
        WalkCase{"pad byte printable",
                 RiffFile(kFmt + Chunk("fact", "abc").replace(11, 1, "x") + Chunk("data", "dd")),
                 "fmt :16 fact:3 data:2"},
        // Without its pad byte, an odd chunk is followed directly by a data
        // chunk of 100 bytes: read one byte on, the header would be "atad".
        WalkCase{"pad byte missing before a printable size byte",
                 RiffFile(kFmt + Chunk("fact", "abc", {}, false) + Chunk("data", std::string(100, '\0'))),
                 "fmt :16 fact:3 data:100"},
        // "~" is the last byte an id may hold: the chunk after the missing
        // pad byte is still read as a header.
        WalkCase{"pad byte missing before an id ending in ~",
                 RiffFile(kFmt + Chunk("fact", "abc", {}, false) + Chunk("ab~~", "xy") + Chunk("data", "dd")),
                 "fmt :16 fact:3 data:2"},
        WalkCase{"pad byte present before an id starting with ~",
                 RiffFile(kFmt + Chunk("fact", "abc") + Chunk("~abc", "xy") + Chunk("data", "dd")),
                 "fmt :16 fact:3 data:2"},
        WalkCase{"pad byte present before a printable size byte",
                 RiffFile(kFmt + Chunk("fact", "abc") + Chunk("data", std::string(100, '\0'))),
                 "fmt :16 fact:3 data:100"},
        WalkCase{"data before fmt", RiffFile(Chunk("data", "dd") + kFmt), "fmt :16 data:2"},
        WalkCase{"RIFF size 0", RiffFile(kFmt + Chunk("data", "dd"), "WAVE", 0), "fmt :16 data:2"},
        WalkCase{"RIFF size all ones", RiffFile(kFmt + Chunk("data", "dd"), "WAVE", 0xFFFFFFFF),
                 "fmt :16 data:2"},
        WalkCase{"RIFF size shorter than the file", RiffFile(kFmt + Chunk("data", "dd"), "WAVE", 4),
                 "fmt :16 data:2"},
        WalkCase{"unknown chunks skipped",
                 RiffFile(Chunk("JUNK", "12345") + kFmt + Chunk("bext", "b") + Chunk("data", "dd")),
                 "fmt :16 data:2"},
        WalkCase{"first occurrence wins",
                 RiffFile(kFmt + Chunk("data", "dd") + Chunk("fmt ", PcmFormat(2, 8000, 8) + U16(0)) +
                          Chunk("data", "")),
                 "fmt :16 data:2"},
        WalkCase{"stops at an implausible header",
                 RiffFile(kFmt +
                          Chunk("da\x01"
                                "a",
                                "xx") +
                          Chunk("data", "dd")),
                 "fmt :16"},
        WalkCase{"fewer than 8 bytes left", RiffFile(kFmt + "fact\x04\x00\x00"), "fmt :16"},
        WalkCase{"chunk running past the end", RiffFile(kFmt + Chunk("data", "dd", 1000)),
                 "fmt :16 data:1000"},
        WalkCase{"size all ones", RiffFile(kFmt + Chunk("data", "dd", 0xFFFFFFFF)), "fmt :16 data:-1"},
        WalkCase{"negative size", RiffFile(kFmt + Chunk("PAD ", "", 0x80000000) + Chunk("data", "dd")),
                 "fmt :16 PAD :-2147483648"},
        WalkCase{
            "every known type",
            RiffFile(kFmt + Chunk("fact", U32(1)) + Chunk("wavl", "") + Chunk("slnt", U32(2)) +
                     Chunk("cue ", CuePayload({})) + Chunk("plst", PlstPayload({})) +
                     Chunk("list", ListPayload("adtl", "")) + Chunk("smpl", SmplPayload({}, {})) +
                     Chunk("inst", InstPayload(1, 2, 3, 4, 5, 6, 7)) + Chunk("PAD ", "") + Chunk("data", "")),
            "fmt :16 fact:4 wavl:0 slnt:4 cue :4 plst:4 list:4 smpl:36 inst:7 PAD :0 data:0"},
        WalkCase{"empty form", RiffFile(""), ""}));

TEST(ChunkWalk, PadByteOfAChunkRunningPastTheEndIsTheFirstByte) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(kFmt + Chunk("PAD ", "\x07xyz", 0x7FFFFFFF)));
    EXPECT_EQ(document.Pad().Data(), "\x07");
}

struct ListChoiceCase {
    const char* what;
    std::string lists;
    std::string expectedName;
    std::string expectedType;
};
void PrintTo(const ListChoiceCase& c, std::ostream* os) { *os << c.what; }

class ListChoice : public testing::TestWithParam<ListChoiceCase> {};

TEST_P(ListChoice, PrefersTheFirstAssociatedDataList) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(kFmt + GetParam().lists));
    EXPECT_EQ(document.List().Name(), GetParam().expectedName);
    EXPECT_EQ(document.List().TypeId(), GetParam().expectedType);
}

const std::string kInfo = Chunk("LIST", ListPayload("INFO", Chunk("ISFT", "x")));

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, ListChoice,
    testing::Values(
        ListChoiceCase{"only INFO", kInfo, "LIST", "INFO"},
        ListChoiceCase{"adtl after INFO", kInfo + Chunk("list", ListPayload("adtl", "")), "list", "adtl"},
        ListChoiceCase{"first adtl",
                       Chunk("LIST", ListPayload("adtl", "")) + Chunk("list", ListPayload("adtl", "")),
                       "LIST", "adtl"},
        ListChoiceCase{"list too short for a type",
                       Chunk("LIST", "ad") + Chunk("list", ListPayload("adtl", "")), "list", "adtl"}));

TEST(ListChunk, SubChunksFollowTheSameWalkRules) {
    // An odd label without its pad byte, then a note; an implausible id ends the walk.
    const std::string subChunks = Chunk("labl", LabelPayload(1, "odd"), {}, false) +
                                  Chunk("note", LabelPayload(2, "n")) + Chunk("\x01\x02\x03\x04", "") +
                                  Chunk("labl", LabelPayload(3, "lost"));
    WaveDocument document;
    LoadOrFail(document, RiffFile(Chunk("LIST", ListPayload("adtl", subChunks))));
    ASSERT_EQ(document.List().Labels().Count(), 1);
    EXPECT_EQ(document.List().Labels().Item(1).Text(), "odd");
    ASSERT_EQ(document.List().Notes().Count(), 1);
    EXPECT_EQ(document.List().Notes().Item(1).CuePointId(), 2);
}

// Each fault is told once: damage the load got past is the check's to
// report, in one sentence each; the notes tell only what the chunk list
// leaves out that no finding speaks of.
struct NoteCase {
    const char* what;
    std::string file;
    std::vector<std::string> expectedNotes;
    std::vector<std::string> expectedCodes;  // the codes of the findings, in order
};
void PrintTo(const NoteCase& c, std::ostream* os) { *os << c.what; }

class LoadNotes : public testing::TestWithParam<NoteCase> {};

TEST_P(LoadNotes, AndFindingsTellEachFaultOnce) {
    WaveDocument document;
    wavecheck::FileCheck check;
    ASSERT_EQ(document.LoadFromMemory(GetParam().file, "test.wav", &check), wavedoc::LoadOk);
    EXPECT_EQ(document.LoadNotes(), GetParam().expectedNotes);
    std::vector<std::string> codes;
    for (const wavecheck::Finding& finding : check.Finish(document).shown) codes.push_back(finding.code);
    EXPECT_EQ(codes, GetParam().expectedCodes);
}

const std::string kInFile = "In the file \"test.wav\", ";

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, LoadNotes,
    testing::Values(
        NoteCase{"sound file", RiffFile(kFmt + Chunk("data", "d")), {}, {}},
        NoteCase{"pad byte missing at the end",
                 RiffFile(kFmt + Chunk("data", "d", {}, false)),
                 {},
                 {"pad-missing"}},
        NoteCase{"unknown chunks are no loss",
                 RiffFile(Chunk("JUNK", "12") + kFmt + Chunk("bext", "b")),
                 {},
                 {"data-missing", "chunk-short"}},
        NoteCase{"data runs past the end", RiffFile(kFmt + Chunk("data", "dd", 1000)), {}, {"past-end"}},
        NoteCase{"streaming size", RiffFile(kFmt + Chunk("data", "dd", 0xFFFFFFFF)), {}, {"unfinished"}},
        NoteCase{
            "bytes that start no chunk",
            RiffFile(kFmt + std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9) + Chunk("data", "dd")),
            {},
            {"not-a-chunk"}},
        NoteCase{"header cut off",
                 RiffFile(kFmt + Chunk("data", "dd").substr(0, 6)),
                 {},
                 {"cut-header", "data-missing"}},
        NoteCase{"later duplicates",
                 RiffFile(kFmt + Chunk("data", "dd") + kFmt + Chunk("data", "") + kFmt),
                 {},
                 {"duplicate", "duplicate", "duplicate"}},
        NoteCase{"second associated data list",
                 RiffFile(kFmt + Chunk("data", "") + Chunk("LIST", ListPayload("adtl", "")) +
                          Chunk("list", ListPayload("adtl", ""))),
                 {kInFile + "another \"list\" chunk at offset 56 is not shown: the first associated data "
                            "list is."},
                 {}},
        NoteCase{"list walk stops",
                 RiffFile(kFmt + Chunk("data", "") +
                          Chunk("LIST",
                                ListPayload("adtl", Chunk("labl", LabelPayload(1, "a")) + "\x01\x02zzzzzz"))),
                 {},
                 {"not-a-chunk"}},
        NoteCase{"list ends in a cut header",
                 RiffFile(kFmt + Chunk("data", "") +
                          Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "a")) + "labl"))),
                 {},
                 {"cut-header"}},
        NoteCase{"sub-chunk runs past the list",
                 RiffFile(kFmt + Chunk("data", "") +
                          Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "abc"), 40)))),
                 {},
                 {"past-end"}}));

TEST(LoadNotes, AreBoundedWhateverTheFileHolds) {
    std::string chunks = kFmt;
    for (int i = 0; i < 1000; ++i) chunks += Chunk("LIST", ListPayload("adtl", ""));
    WaveDocument document;
    LoadOrFail(document, RiffFile(chunks));
    ASSERT_EQ(document.LoadNotes().size(), 33u);
    EXPECT_EQ(document.LoadNotes().back(), kInFile + "967 more notes are left out.");
}

TEST(ListChunk, PadByteMissingBeforeALabelWhoseSizeLooksLikeText) {
    // "odd" is followed directly by a label of 100 bytes, whose size byte 'd'
    // makes the padded reading look like a header too.
    const std::string subChunks = Chunk("labl", LabelPayload(1, "odd"), {}, false) +
                                  Chunk("labl", LabelPayload(2, std::string(95, 'x'))) +
                                  Chunk("note", LabelPayload(3, "n"));
    WaveDocument document;
    LoadOrFail(document, RiffFile(Chunk("LIST", ListPayload("adtl", subChunks))));
    EXPECT_TRUE(document.LoadNotes().empty()) << document.LoadNotes().front();
    ASSERT_EQ(document.List().Labels().Count(), 2);
    EXPECT_EQ(document.List().Labels().Item(2).CuePointId(), 2);
    EXPECT_EQ(document.List().Notes().Item(1).Text(), "n");
}

TEST(LoadNotes, StayWithTheChunksWhenALaterLoadFails) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(kFmt + Chunk("LIST", ListPayload("adtl", "")) +
                                  Chunk("LIST", ListPayload("adtl", ""))));
    ASSERT_EQ(document.LoadNotes().size(), 1u);
    EXPECT_EQ(document.LoadFromMemory("RIFX", "other.wav"), wavedoc::LoadNotRiff);
    EXPECT_EQ(document.LoadNotes().size(), 1u);
    LoadOrFail(document, RiffFile(kFmt + Chunk("data", "dd")));
    EXPECT_TRUE(document.LoadNotes().empty());
}

}  // namespace
