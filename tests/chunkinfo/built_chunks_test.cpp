// The rows of each decoder on chunks built field by field, with the edges
// that real files reach: the three bext versions, a 64-bit time reference,
// INFO items without a name or a closing zero byte, fields cut off by the end
// of the chunk, counts above what the chunk holds, filler that is not zero.
#include <bit>

#include "chunkinfo/entry_rows.h"
#include "chunkinfo_test_support.h"
#include "report/structure_rows.h"

namespace chunkinfotest {
namespace {

std::string Repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string Float(float value) { return U32(std::bit_cast<std::uint32_t>(value)); }

// The 2048 fixed bytes of a cart chunk with the given texts, level reference
// and first post timer, then the tag text.
std::string CartPayload(std::string_view title, std::string_view tagText) {
    std::string out =
        Fixed("0101", 4) + Fixed(title, 64) + Fixed("Artist", 64) + Fixed("CUT-7", 64) + Fixed("", 64 * 3) +
        Fixed("and we're out", 64) + Fixed("2024/02/29", 10) + Fixed("23:59:59", 8) +
        Fixed("2025/01/01", 10) + Fixed("00:00:00", 8) + Fixed("Ondulo", 64) + Fixed("1.0", 64) +
        Fixed("", 64) + U32(static_cast<std::uint32_t>(-32768)) + "SEC1" + U32(44100) +
        std::string(7 * 8, '\0') + std::string(276, '\0') + Fixed("https://example.org/cut7", 1024);
    return out + std::string(tagText);
}

std::string AcidPayload(std::uint32_t flags, std::uint16_t note, float tempo) {
    return U32(flags) + U16(note) + U16(0x8000) + U32(0) + U32(8) + U16(4) + U16(3) + Float(tempo);
}

std::string LevlHeader(std::uint32_t format, std::uint32_t peakOfPeaks) {
    return U32(1) + U32(format) + U32(2) + U32(256) + U32(2) + U32(1) + U32(peakOfPeaks) + U32(128) +
           Fixed("2024:02:29:23:59:59:000", 28) + std::string(60, '\0');
}

std::string ChnaEntry(std::uint16_t track, std::string_view uid, std::string_view trackRef,
                      std::string_view packRef) {
    return U16(track) + Fixed(uid, 12) + Fixed(trackRef, 14) + Fixed(packRef, 11) + '\0';
}

std::string BextWithTexts(std::string description, std::string originator) {
    BextFields fields;
    fields.description = std::move(description);
    fields.originator = std::move(originator);
    return BextPayload(fields);
}

std::string BextWithHistory(std::string history) {
    BextFields fields;
    fields.codingHistory = std::move(history);
    return BextPayload(fields);
}

std::string InfoList(const std::string& items) { return Chunk("LIST", ListPayload("INFO", items)); }

// The rows of CartPayload(title, tagText).
Rows CartRows(const std::string& title, const std::string& tagText) {
    // clang-format off
    return {
        "Version\t0101", "Title\t" + title, "Artist\tArtist", "CutID\tCUT-7", "ClientID\t", "Category\t",
        "Classification\t", "OutCue\tand we're out", "StartDate\t2024/02/29", "StartTime\t23:59:59",
        "EndDate\t2025/01/01", "EndTime\t00:00:00", "ProducerAppID\tOndulo", "ProducerAppVersion\t1.0",
        "UserDef\t", "LevelReference\t-32768", "PostTimer 1\tSEC1 at sample 44100", "PostTimer 2\tnot used",
        "PostTimer 3\tnot used", "PostTimer 4\tnot used", "PostTimer 5\tnot used", "PostTimer 6\tnot used",
        "PostTimer 7\tnot used", "PostTimer 8\tnot used", "URL\thttps://example.org/cut7", "TagText\t" + tagText,
    };
    // clang-format on
}

// A version 2 bext chunk with a time reference of an hour at 48 kHz and
// reserved bytes that are not zero, and its rows, whatever its byte order.
const BextFields kBextVersion2{"d", "o", "r", "", "", 48000ull * 3600, 2, "", {-2300, 750, -100, 0x7FFF, -5},
                               'x', ""};
BextFields BigEndian(BextFields fields) {
    fields.bigEndian = true;
    return fields;
}
const Rows kBextVersion2Rows = {
    "Description\td",
    "Originator\to",
    "OriginatorReference\tr",
    "OriginationDate\t",
    "OriginationTime\t",
    "TimeReference\t172800000 (01:00:00.000 at 48000 Hz)",
    "Version\t2",
    "UMID\tnone (all zero)",
    "LoudnessValue\t-23.00 LUFS",
    "LoudnessRange\t7.50 LU",
    "MaxTruePeakLevel\t-1.00 dBTP",
    "MaxMomentaryLoudness\tnot given",
    "MaxShortTermLoudness\t-0.05 LUFS",
    "Reserved\t180 bytes, not all zero",
    "CodingHistory\t",
};

const std::string kBasicUmid =
    "\x06\x0A\x2B\x34\x01\x01\x01\x01\x01\x01\x01\x13" + std::string(19, '\x5A') + '\x01';

// clang-format off
const RowsCase kCases[] = {
    {"bext_version_0", WaveWith(Chunk("bext", BextPayload({"Interview, take 2", "Ondulo", "REF0001", "2024-02-29",
                                                           "23:59:59", 48000ull * 3600, 0, "", {}, '\0',
                                                           "A=PCM,F=48000,W=16,M=stereo\r\nA=PCM,F=48000,W=24,M=mono,T=Converter\r\n"}))),
     "bext",
     {"Description\tInterview, take 2",
      "Originator\tOndulo",
      "OriginatorReference\tREF0001",
      "OriginationDate\t2024-02-29",
      "OriginationTime\t23:59:59",
      "TimeReference\t172800000 (01:00:00.000 at 48000 Hz)",
      "Version\t0",
      "Reserved\t254 bytes, all zero",
      "CodingHistory",
      "     Line 1\tA=PCM,F=48000,W=16,M=stereo",
      "     Line 2\tA=PCM,F=48000,W=24,M=mono,T=Converter"}},
    {"bext_version_1_time_reference_above_32_bits",
     WaveWith(Chunk("bext", BextPayload({"", "", "", "", "", 0x100000005ull, 1, kBasicUmid, {}, '\0', "A=PCM\n"}))),
     "bext",
     {"Description\t",
      "Originator\t",
      "OriginatorReference\t",
      "OriginationDate\t",
      "OriginationTime\t",
      "TimeReference\t4294967301 (24:51:18.485 at 48000 Hz)",
      "Version\t1",
      "UMID\t060A2B340101010101010113" + Repeated("5A", 19) + "01",
      "Reserved\t190 bytes, all zero",
      "CodingHistory",
      "     Line 1\tA=PCM"}},
    {"bext_version_2_loudness", WaveWith(Chunk("bext", BextPayload(kBextVersion2))), "bext", kBextVersion2Rows},
    {"bext_version_2_of_a_rifx_file_read_most_significant_byte_first",
     RifxFile(BigChunk("fmt ", BigPcmFormat(2, 48000, 16)) + BigChunk("bext", BextPayload(BigEndian(kBextVersion2))) +
              BigChunk("data", "abcd")),
     "bext", kBextVersion2Rows},
    {"bext_without_fmt_has_no_time_of_day", RiffFile(Chunk("bext", BextPayload({"", "", "", "", "", 96000, 0, "", {}, '\0', ""}))),
     "bext",
     {"Description\t", "Originator\t", "OriginatorReference\t", "OriginationDate\t", "OriginationTime\t",
      "TimeReference\t96000", "Version\t0", "Reserved\t254 bytes, all zero", "CodingHistory\t"}},
    {"bext_cut_inside_its_texts", WaveWith(Chunk("bext", BextWithTexts("Cut", "Short").substr(0, 300))),
     "bext",
     {"Description\tCut", "Originator\tShort"},
     "The bext chunk could not be shown in full: the bext chunk ends before its field OriginatorReference."},

    {"info_items_known_unknown_and_unterminated",
     WaveWith(InfoList(Chunk("INAM", std::string("Song\0", 5)) + Chunk("IART", std::string("Band\0", 5)) +
                       Chunk("IXYZ", std::string("odd\0", 4)) + Chunk("ICMT", "no end"))),
     "LIST",
     {"Title (INAM)\tSong", "Artist (IART)\tBand", "IXYZ\todd", "Comments (ICMT)\tno end"}, std::nullopt, "INFO"},
    {"exif_items_of_a_camera",
     WaveWith(Chunk("LIST", ListPayload("exif", Chunk("ever", "0220") + Chunk("ecor", std::string("PENTAX\0", 7)) +
                                                    Chunk("eabc", std::string("x\0", 2))))),
     "LIST",
     {"Exif version (ever)\t0220", "Make (ecor)\tPENTAX", "eabc\tx"},
     std::nullopt,
     "exif"},
    {"info_bytes_that_start_no_item",
     WaveWith(InfoList(Chunk("ISFT", std::string("Lavf\0", 5)) + "\x01\x02\x03\x04\x05\x06\x07\x08")),
     "LIST",
     {"Software (ISFT)\tLavf"},
     "The LIST chunk could not be shown in full: the bytes at byte 18 of the list start no item.", "INFO"},

    {"info_list_cut_inside_its_last_item_header",
     RiffFile(Chunk("fmt ", PcmFormat(2, 48000, 16)) + Chunk("data", "abcd") +
              Chunk("LIST", ListPayload("INFO", Chunk("INAM", Raw("Song\0")) + Chunk("IART", Raw("Band\0"))) + "ICM",
                    4 + 14 + 14 + 8, false)),
     "LIST",
     {"Title (INAM)\tSong", "Artist (IART)\tBand"},
     "The LIST chunk could not be shown in full: an item header is cut off at byte 32 of the list.", "INFO"},

    {"cart", WaveWith(Chunk("cart", CartPayload("Morning show", "free text"))), "cart", CartRows("Morning show", "free text")},
    {"cart_title_filling_its_field_and_no_tag_text", WaveWith(Chunk("cart", CartPayload(std::string(64, 'T'), ""))), "cart",
     CartRows(std::string(64, 'T'), "")},

    {"acid_one_shot_with_root_note", WaveWith(Chunk("acid", AcidPayload(0x03, 60, 120.0f))), "acid",
     {"Flags\t0x00000003 (one-shot, root note set)", "Root note\t60 (C5)", "Beats\t8", "Meter denominator\t4",
      "Meter numerator\t3", "Tempo\t120 BPM"}},
    {"acid_stretched_loop", WaveWith(Chunk("acid", AcidPayload(0x1C, 57, 97.5f))), "acid",
     {"Flags\t0x0000001C (stretch, disk-based, high octave)", "Root note\t57 (A4)", "Beats\t8",
      "Meter denominator\t4", "Meter numerator\t3", "Tempo\t97.5 BPM"}},
    {"acid_cut_short", WaveWith(Chunk("acid", AcidPayload(0, 48, 1.0f).substr(0, 12))), "acid",
     {"Flags\t0x00000000", "Root note\t48 (C4)"},
     "The acid chunk could not be shown in full: the acid chunk ends before its field number of beats."},

    {"peak_of_each_channel",
     WaveWith(Chunk("PEAK", U32(1) + U32(1709251199) + Float(0.5f) + U32(1200) + Float(1.0f) + U32(7))), "PEAK",
     {"Version\t1", "Time stamp\t1709251199 (2024-02-29 23:59:59 UTC)", "Channel 1\t0.5 (-6.0 dBFS) at frame 1200",
      "Channel 2\t1 (0.0 dBFS) at frame 7"}},
    {"peak_with_fewer_channels_than_the_format",
     WaveWith(Chunk("PEAK", U32(1) + U32(0) + Float(0.0f) + U32(0))), "PEAK",
     {"Version\t1", "Time stamp\t0 (1970-01-01 00:00:00 UTC)", "Channel 1\t0 at frame 0"},
     "The PEAK chunk could not be shown in full: the PEAK chunk ends before its field peak value."},

    {"levl_16_bit_points", WaveWith(Chunk("levl", LevlHeader(2, 5) + std::string(8, '\x10'))), "levl",
     {"Version\t1", "Format\t2 (16-bit values)", "Points per value\t2 (positive and negative peak)",
      "Block size\t256 frames", "Channels\t2", "Frames\t1", "Position of the peak of peaks\t5",
      "Offset to peaks\t128", "Time stamp\t2024:02:29:23:59:59:000", "Peak points\t4"}},

    {"umid", WaveWith(Chunk("umid", kBasicUmid.substr(0, 24))), "umid", {"UMID\t060A2B3401010101010101135A5A5A5A5A5A5A5A5A5A5A5A"}},
    {"umid_extended_then_more_bytes", WaveWith(Chunk("umid", kBasicUmid + std::string(32, '\x11') + "extra!")), "umid",
     {"UMID\t060A2B340101010101010113" + Repeated("5A", 19) + "01" + Repeated("11", 32), "Not shown\tthe other 6 bytes"}},
    {"md5", WaveWith(Chunk("MD5 ", Raw("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF"))), "MD5 ",
     {"MD5\t00112233445566778899AABBCCDDEEFF"}},

    {"disp_text", WaveWith(Chunk("DISP", U32(1) + std::string("Hello\0", 6))), "DISP", {"Type\t1 (CF_TEXT)", "Text\tHello"}},
    {"disp_picture", WaveWith(Chunk("DISP", U32(8) + std::string(40, '\x7F'))), "DISP", {"Type\t8 (CF_DIB)", "Data\t40 bytes"}},

    {"chna", WaveWith(Chunk("chna", U16(2) + U16(2) + ChnaEntry(1, "ATU_00000001", "AT_00031001_01", "AP_00031001") +
                                        ChnaEntry(2, "ATU_00000002", "AT_00031002_01", "AP_00031002"))),
     "chna",
     {"Number of tracks\t2", "Number of track UIDs\t2",
      "     Track UID #1", "     Track index\t1", "     UID\tATU_00000001", "     Track ref\tAT_00031001_01", "     Pack ref\tAP_00031001",
      "     Track UID #2", "     Track index\t2", "     UID\tATU_00000002", "     Track ref\tAT_00031002_01", "     Pack ref\tAP_00031002"}},
    {"chna_counting_more_uids_than_it_holds",
     WaveWith(Chunk("chna", U16(1) + U16(3) + ChnaEntry(1, "ATU_00000001", "AT_00031001_01", "AP_00031001"))), "chna",
     {"Number of tracks\t1", "Number of track UIDs\t3",
      "     Track UID #1", "     Track index\t1", "     UID\tATU_00000001", "     Track ref\tAT_00031001_01", "     Pack ref\tAP_00031001"},
     "The chna chunk could not be shown in full: the chna chunk ends before its field trackIndex."},

    {"junk_all_zero", WaveWith(Chunk("JUNK", std::string(28, '\0'))), "JUNK", {"Size\t28 bytes", "Content\tall zero"}},
    {"junk_not_zero", WaveWith(Chunk("junk", std::string(5, '\0') + "A" + std::string(10, '\0'))), "junk",
     {"Size\t16 bytes", "Content\tnot all zero: byte 5 is 0x41"}},
    {"fllr_empty", WaveWith(Chunk("FLLR", "")), "FLLR", {"Size\t0 bytes", "Content\tempty"}},
    {"filr_cut_by_the_end_of_the_file",
     RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 8)) + Chunk("data", "ab") + Chunk("filr", std::string(20, '\0'), 1000)),
     "filr", {"Size\t1,000 bytes", "Content\tthe 20 bytes the file holds are zero"}},

    {"other_chunk_as_hex_and_text", WaveWith(Chunk("SMED", "Hello, world! 123456")), "SMED",
     {"00000000\t48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 21 20 31 32  Hello, world! 12",
      "00000010\t33 34 35 36" + std::string(38, ' ') + "3456"}},
    {"other_list_as_hex", WaveWith(Chunk("LIST", ListPayload("TRKS", Chunk("ever", "0220")))), "LIST",
     {"00000000\t54 52 4B 53 65 76 65 72 04 00 00 00 30 32 32 30  TRKSever....0220"}, std::nullopt, "TRKS"},
};
// clang-format on

class BuiltChunks : public testing::TestWithParam<RowsCase> {};

TEST_P(BuiltChunks, ShowTheirFields) { ExpectRows(GetParam()); }

// Cut or overwritten anywhere, the file still shows every entry: rows up to
// the fault and a sentence, never an exception or a stray zero byte.
TEST_P(BuiltChunks, ShowDamagedCopiesSafely) { ExpectDamagedCopiesShowSafely(GetParam().file); }

TEST_P(BuiltChunks, RangesHoldWhatTheirRowsShow) { ExpectRangesHoldTheirRows(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Decoders, BuiltChunks, testing::ValuesIn(kCases), CaseName);

// Texts and lists that go on past what the rows show stop at their caps and
// say what they leave out.
TEST(BuiltChunks, LongContentStopsAtItsCaps) {
    std::string lines;
    for (int i = 1; i <= 300; ++i) lines += "A=PCM,T=step " + std::to_string(i) + "\r\n";
    const Shown history = ShowBuilt(WaveWith(Chunk("bext", BextWithHistory(lines))), "bext");
    ASSERT_EQ(history.rows.size(), 8u + 1 + 256 + 1);
    EXPECT_EQ(history.rows[8 + 256], "     Line 256\tA=PCM,T=step 256");
    EXPECT_EQ(history.rows.back(), "Not shown\tthe coding history after line 256");

    const Shown longLine =
        ShowBuilt(WaveWith(Chunk("bext", BextWithHistory(std::string(100000, 'x')))), "bext");
    ASSERT_EQ(longLine.rows.size(), 8u + 1 + 1 + 1);
    EXPECT_EQ(longLine.rows[9], "     Line 1\t" + std::string(4096, 'x') + " ... (100,000 bytes in all)");
    EXPECT_EQ(longLine.rows[10], "Not shown\tthe coding history after line 1");

    std::string items;
    for (int i = 0; i < 4100; ++i) items += Chunk("ISFT", "ab");
    const Shown info = ShowBuilt(WaveWith(InfoList(items)), "LIST", "INFO");
    ASSERT_EQ(info.rows.size(), 4097u);
    EXPECT_EQ(info.rows.back(), "Not shown\t4 more items");

    const Shown other = ShowBuilt(WaveWith(Chunk("SMED", std::string(300, 'z'))), "SMED");
    ASSERT_EQ(other.rows.size(), 17u);
    EXPECT_EQ(other.rows.back(), "Not shown\tthe other 44 bytes");

    const Shown text = ShowBuilt(WaveWith(Chunk("DISP", U32(1) + std::string(5000, 't'))), "DISP");
    EXPECT_EQ(text.rows.back(), "Text\t" + std::string(4096, 't') + " ... (5,000 bytes in all)");
}

// The chunks the chunk list shows keep their detail routines; a later chunk
// of the same type and any list are decoded here.
TEST(BuiltChunks, ChunksTheListShowsHaveNoDecoderHere) {
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(
                  WaveWith(Chunk("PAD ", std::string(2, '\0')) + Chunk("PAD ", std::string("\0\1", 2)) +
                           InfoList(Chunk("INAM", "t")) + Chunk("bext", "") + Chunk("Fake", "")),
                  "built.wav"),
              wavedoc::LoadOk);
    std::vector<std::pair<std::string, bool>> decoded;
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        decoded.emplace_back(entry.id, chunkinfo::HasDecoder(entry));
    }
    const std::vector<std::pair<std::string, bool>> expected = {
        {"fmt ", false}, {"PAD ", false}, {"PAD ", true},  {"LIST", true},
        {"INAM", false}, {"bext", true},  {"Fake", false}, {"data", false}};
    EXPECT_EQ(decoded, expected);
}

// Where each entry's rows come from, and a later chunk of a type the list
// shows decoded by that type's routine, on its own fields.
TEST(BuiltChunks, EachEntryHasOneSourceOfRows) {
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(
                  WaveWith(Chunk("fmt ", PcmFormat(1, 8000, 8)) + Chunk("PAD ", "") + Chunk("PAD ", "") +
                           Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "a")))) +
                           InfoList(Chunk("INAM", "t"))),
                  "built.wav"),
              wavedoc::LoadOk);
    using report::RowsFrom;
    std::vector<RowsFrom> from;
    int decodedListDepth = -1;
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        if (decodedListDepth >= 0 && entry.depth <= decodedListDepth) decodedListDepth = -1;
        from.push_back(report::EntryRowsFrom(entry, decodedListDepth >= 0));
        if (entry.IsList() && chunkinfo::HasDecoder(entry)) decodedListDepth = entry.depth;
    }
    const std::vector<RowsFrom> expected = {
        RowsFrom::ChunkDetails,  // fmt
        RowsFrom::LaterChunk,    // a second fmt
        RowsFrom::ChunkDetails,  // PAD
        RowsFrom::EntryRows,     // a second PAD: filler has a decoder of its own
        RowsFrom::ChunkDetails,  // LIST (adtl), the list shown
        RowsFrom::ListEntry,     // its label: the rows the list gives it
        RowsFrom::EntryRows,     // LIST (INFO)
        RowsFrom::Enclosing,     // its item
        RowsFrom::ChunkDetails,  // data
    };
    EXPECT_EQ(from, expected);

    rows::RowList rows;
    EXPECT_EQ(report::ShowRowsFrom(RowsFrom::LaterChunk, document, document.Structure().entries[1], rows),
              std::nullopt);
    const std::vector<std::string> shown = std::move(rows).TakeRows();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[1], "Number of channels\t1 (Mono)");
    EXPECT_EQ(shown[2], "Sample rate\t8000");
}

// In an RF64 file, a chunk whose size field holds 0xFFFFFFFF has the size
// the ds64 table gives it, in its rows too.
TEST(BuiltChunks, SizesFromDs64ShowInTheRows) {
    const auto u64 = [](std::uint32_t low) { return U32(low) + U32(0); };
    const std::string ds64 = Chunk("ds64", u64(56) + u64(4) + u64(1) + U32(1) + "JUNK" + u64(6));
    const std::string body = "WAVE" + ds64 + "JUNK" + U32(0xFFFFFFFF) + std::string(6, '\0');
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory("RF64" + U32(0xFFFFFFFF) + body, "big.wav", nullptr,
                                      wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    const wavedoc::MapEntry& junk = document.Structure().entries.back();
    ASSERT_EQ(junk.id, "JUNK");
    rows::RowList rows;
    EXPECT_EQ(chunkinfo::ShowEntryRows(document, junk, rows), std::nullopt);
    EXPECT_EQ(rows.Rows(), (std::vector<std::string>{"Size\t6 bytes", "Content\tall zero"}));

    // A table cut inside an entry names the field as a sentence does, not
    // with the row's indentation.
    const std::string cut = Chunk("ds64", u64(56) + u64(4) + u64(1) + U32(1) + "JU");
    wavedoc::WaveDocument cutDocument;
    ASSERT_EQ(cutDocument.LoadFromMemory("RF64" + U32(0xFFFFFFFF) + "WAVE" + cut, "big.wav", nullptr,
                                         wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    const wavedoc::MapEntry* table = nullptr;
    for (const wavedoc::MapEntry& entry : cutDocument.Structure().entries)
        if (entry.id == "ds64") table = &entry;
    ASSERT_NE(table, nullptr);
    rows::RowList cutRows;
    EXPECT_EQ(chunkinfo::ShowEntryRows(cutDocument, *table, cutRows),
              "The ds64 chunk could not be shown in full: the ds64 chunk ends before its field Chunk ID.");
}

}  // namespace
}  // namespace chunkinfotest
