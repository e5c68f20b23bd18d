#include "rows_test_support.h"

namespace detailtest {
namespace {

std::string CueFile(const std::vector<CuePointRecord>& points, std::optional<std::uint32_t> count = {}) {
    return WaveWith(Chunk("cue ", CuePayload(points, count)));
}
std::string SmplFile(std::uint32_t note, std::uint32_t smpteFormat,
                     const std::vector<SampleLoopRecord>& loops, std::optional<std::uint32_t> count = {}) {
    const SmplHeaderFields header{71, 3, 22676, note, 0x80000000, smpteFormat, 0x01020304};
    return WaveWith(Chunk("smpl", SmplPayload(header, loops, {}, count)));
}
std::string ListFile(const char* id, const std::string& subChunks) {
    return WaveWith(Chunk(id, ListPayload("adtl", subChunks)));
}
// The rows of the pieces, one after the other.
Rows Join(std::initializer_list<Rows> pieces) {
    Rows rows;
    for (const Rows& piece : pieces) rows.insert(rows.end(), piece.begin(), piece.end());
    return rows;
}

const CuePointRecord kCue{7, 0, "dat ", 0, 0, 4410};
const SampleLoopRecord kLoop{1, 0, 100, 2000};
const std::string kLabels =
    Chunk("labl", LabelPayload(1, "Intro")) + Chunk("labl", LabelPayload(0x80000000, ""));
const std::string kNote = Chunk("note", LabelPayload(2, "Take 3"));
const std::string kText = Chunk("ltxt", LtxtPayload({1, 44100, "rgn ", 1, 9, 1, 1252, "Verse"}));

// clang-format off
const Rows kCuePoint1 = {"     Cue Point #1",
                         "     ID\t7",
                         "     Position\t0",
                         "     Data chunk ID\tdat ",
                         "     Chunk start\t0",
                         "     Block start\t0",
                         "     Sample offset\t4410"};
const Rows kCuePoint2 = {"     Cue Point #2",
                         "     ID\t-1",
                         "     Position\t88200",
                         "     Data chunk ID\tdata",
                         "     Chunk start\t0",
                         "     Block start\t0",
                         "     Sample offset\t88200"};
const Rows kAdtlRows = {"Type ID\tadtl",
                        "     Subchunk ID\tlabl (label)",
                        "     Subchunk Data Size\t10",
                        "     Cue point ID\t1",
                        "     Label text\tIntro",
                        "",
                        "     Subchunk ID\tlabl (label)",
                        "     Subchunk Data Size\t5",
                        "     Cue point ID\t-2147483648",
                        "     Label text\t",
                        "",
                        "     Subchunk ID\tnote",
                        "     Subchunk Data Size\t11",
                        "     Cue point ID\t2",
                        "     Note text\tTake 3",
                        "",
                        "     Subchunk ID\tltxt (labeled text)",
                        "     Subchunk Data size\t26",
                        "     Cue point ID\t1",
                        "     Sample length\t44100",
                        "     Purpose ID\trgn ",
                        "     Country\t1",
                        "     Language\t9",
                        "     Dialect\t1",
                        "     Code page\t1252",
                        "     Text\tVerse",
                        ""};
const Rows kSmplHeader = {"Manufacturer\t71",
                          "Product\t3",
                          "Sample period\t22676",
                          "MIDI unity note\t60 (C5)",
                          "MIDI pitch fraction\t-2147483648",
                          "SMPTE format\t25 (25 frames per second)",
                          "SMPTE offset\t16909060"};
const Rows kLoop1 = {"     Loops #1",
                     "     Cue point ID\t1",
                     "     Type\t0",
                     "     Start\t100",
                     "     End\t2000",
                     "     Fraction\t0",
                     "     Play count\t0"};
const Rows kLoop2 = {"     Loops #2",
                     "     Cue point ID\t2",
                     "     Type\t1",
                     "     Start\t0",
                     "     End\t-1",
                     "     Fraction\t0",
                     "     Play count\t3"};

const RowsCase kEntryCases[] = {
    {"two_cue_points", CueFile({kCue, {0xFFFFFFFF, 88200, "data", 0, 0, 88200}}), "cue ",
     Join({{"Number of cue points\t2"},
           kCuePoint1,
           kCuePoint2})},
    {"cue_count_0", CueFile({}), "cue ",
     {"Number of cue points\t0"}},
    {"cue_count_minus_3", CueFile({kCue}, -3u), "cue ",
     {"Number of cue points\t-3"}},
    {"cue_count_32768", CueFile({kCue}, 32768), "cue ",
     {"Number of cue points\t32768"}, true},
    {"cue_point_missing", CueFile({kCue}, 2), "cue ",
     Join({{"Number of cue points\t2"},
           kCuePoint1,
           {"     Cue Point #2"}}), true},
    {"one_segment", WaveWith(Chunk("plst", PlstPayload({{3, 22050, 2}}))), "plst",
     {"Number of segments\t1",
      "     Segment #1",
      "     Cue point ID\t3",
      "     Lenght (in samples)\t22050",
      "     Number of repeats\t2"}},
    {"segment_count_minus_32768", WaveWith(Chunk("plst", PlstPayload({{3, 22050, 2}}, 0xFFFF8000))), "plst",
     {"Number of segments\t-32768"}},
    {"segment_count_below_16_bits", WaveWith(Chunk("plst", PlstPayload({}, 0x80000000))), "plst",
     {"Number of segments\t-2147483648"}, true},
    {"labels_note_text", ListFile("LIST", kLabels + kNote + kText), "LIST", kAdtlRows},
    {"groups_in_fixed_order", ListFile("LIST", kText + kNote + kLabels), "LIST", kAdtlRows},
    {"lower_case_list", ListFile("list", kLabels + kNote + kText), "list", kAdtlRows},
    {"other_list_type", WaveWith(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "Song")))), "LIST",
     {"Type ID\tINFO"}},
    {"no_loops", SmplFile(60, 25, {}), "smpl",
     Join({kSmplHeader,
           {"Number of sample loops\t0",
            "Sampler data\t0"}})},
    {"two_loops", SmplFile(60, 25, {kLoop, {2, 1, 0, 0xFFFFFFFF, 0, 3}}), "smpl",
     Join({kSmplHeader,
           {"Number of sample loops\t2",
            "Sampler data\t0"},
           kLoop1,
           kLoop2})},
    {"loop_count_minus_3", SmplFile(60, 25, {kLoop}, -3u), "smpl",
     Join({kSmplHeader,
           {"Number of sample loops\t-3",
            "Sampler data\t0"}})},
    {"loop_count_32768", SmplFile(60, 25, {kLoop}, 32768), "smpl",
     Join({kSmplHeader,
           {"Number of sample loops\t32768",
            "Sampler data\t0"}}), true},
    {"loop_missing", SmplFile(60, 25, {kLoop}, 2), "smpl",
     Join({kSmplHeader,
           {"Number of sample loops\t2",
            "Sampler data\t0"},
           kLoop1,
           {"     Loops #2"}}), true},
    {"octave_32768", SmplFile(393216, 25, {}), "smpl",
     Rows(kSmplHeader.begin(), kSmplHeader.begin() + 3), true},
    {"octave_minus_32769", SmplFile(-393228u, 25, {}), "smpl",
     Rows(kSmplHeader.begin(), kSmplHeader.begin() + 3), true},
    {"instrument", WaveWith(Chunk("inst", InstPayload(60, -5, -6, 48, 72, 1, 127))), "inst",
     {"Unshifted note\t60",
      "Fine tune\t-5",
      "Gain\t-6",
      "Low note\t48",
      "High note\t72",
      "Low velocity\t1",
      "Hih velocity\t127"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Entries, ShownRows, testing::ValuesIn(kEntryCases), CaseName);

TEST(Sampler, NamesNotesAndSmpteFormats) {
    const std::pair<std::int32_t, const char*> notes[] = {{0, "0 (C0)"},
                                                          {11, "11 (B0)"},
                                                          {60, "60 (C5)"},
                                                          {66, "66 (F#5)"},
                                                          {67, "67 (G5)"},
                                                          {71, "71 (B5)"},
                                                          {72, "72 (C6)"},
                                                          {78, "78 (F#6)"},
                                                          {127, "127 (G10)"},
                                                          {-1, "-1 (0)"},
                                                          {-12, "-12 (C-1)"},
                                                          {-13, "-13 (-1)"},
                                                          {393215, "393215 (B32767)"},
                                                          {-393216, "-393216 (C-32768)"}};
    for (const auto& [note, shown] : notes) {
        EXPECT_EQ(ShowChunk(SmplFile(static_cast<std::uint32_t>(note), 0, {}), "smpl").rows.at(3),
                  std::string("MIDI unity note\t") + shown);
    }
    const std::pair<std::int32_t, const char*> formats[] = {
        {0, "0 (No SMPTE offset)"},
        {24, "24 (24 frames per second)"},
        {25, "25 (25 frames per second)"},
        {29, "29 (30 frames per second with frame dropping (30 drop))"},
        {30, "30 (30 frames per second)"},
        {12, "12 ()"},
        {-1, "-1 ()"}};
    for (const auto& [format, shown] : formats) {
        EXPECT_EQ(ShowChunk(SmplFile(0, static_cast<std::uint32_t>(format), {}), "smpl").rows.at(5),
                  std::string("SMPTE format\t") + shown);
    }
}

TEST(EntryLimits, LargestCountIsListedAndOneMoreStopsWithASentence) {
    const std::vector<CuePointRecord> points(32767, CuePointRecord{1, 0, "data", 0, 0, 9});
    const Shown all = ShowChunk(CueFile(points), "cue ");
    ASSERT_EQ(all.rows.size(), 1u + 7u * 32767u);
    EXPECT_EQ(all.rows[all.rows.size() - 7], "     Cue Point #32767");
    EXPECT_EQ(all.error, std::nullopt);

    std::string labels;
    for (int i = 0; i < 32768; ++i) labels += Chunk("labl", U32(1));
    const Shown list = ShowChunk(ListFile("LIST", labels + kNote), "LIST");
    EXPECT_EQ(list.rows, Rows{"Type ID\tadtl"});
    EXPECT_EQ(
        list.error,
        "The LIST chunk could not be shown in full: it has 32768 labels, and at most 32767 can be listed.");

    const Shown missing = ShowChunk(CueFile({kCue}, 5), "cue ");
    EXPECT_EQ(missing.error,
              "The cue chunk could not be shown in full: the cue chunk holds 1 cue point, so cue point 2 "
              "is not in the file.");
    const Shown octave = ShowChunk(SmplFile(393216, 0, {}), "smpl");
    EXPECT_NE(octave.error.value_or("").find(
                  "The smpl chunk could not be shown in full: its MIDI unity note, 393216"),
              std::string::npos)
        << octave.error.value_or("");
}

}  // namespace
}  // namespace detailtest
