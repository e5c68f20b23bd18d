// The rows of real files written by other programs, read as the window reads
// them: from disk. Those in tests/data/corpus always run; those read from the
// shared collections run when the collections are there.
#include <filesystem>

#include "chunkinfo_test_support.h"
#include "support/corpus.h"

namespace chunkinfotest {
namespace {

struct RealCase {
    const char* what;
    std::string path;
    std::string id;
    std::string listType;
    Rows expected;             // the first rows shown
    std::size_t rowCount = 0;  // how many rows in all, when more are shown than expected lists
};

Shown ShowFromDisk(const std::string& path, std::string_view id, std::string_view listType) {
    wavedoc::WaveDocument document;
    EXPECT_EQ(document.Load(path), wavedoc::LoadOk) << document.LoadError();
    return ShowEntry(document, id, listType);
}

void ExpectRealRows(const RealCase& test) {
    const Shown shown = ShowFromDisk(test.path, test.id, test.listType);
    ASSERT_TRUE(shown.found) << test.id;
    EXPECT_EQ(shown.error, std::nullopt);
    const std::size_t count = test.rowCount != 0 ? test.rowCount : test.expected.size();
    ASSERT_EQ(shown.rows.size(), count);
    EXPECT_EQ(
        Rows(shown.rows.begin(), shown.rows.begin() + static_cast<std::ptrdiff_t>(test.expected.size())),
        test.expected);
}

std::string Corpus(const std::string& file) { return CorpusPath(file); }
std::string Shared(const std::string& file) { return SharedDir() + "/" + file; }

// clang-format off
const RealCase kCorpusCases[] = {
    {"bext_v0_pro_tools", Corpus("hound_nonstandard-01.wav"), "bext", "",
     {"Description\t", "Originator\tPro Tools", "OriginatorReference\teMUV8xD!wolaaaGk", "OriginationDate\t2017-10-06",
      "OriginationTime\t21:23:15", "TimeReference\t275188816 (01:35:33.100 at 48000 Hz)", "Version\t0",
      "Reserved\t254 bytes, all zero", "CodingHistory\t"}},
    // The time reference is the origination time: the recorder started at midnight.
    {"bext_v0_zoom_recorder", Corpus("wavinfo_STE-000.wav"), "bext", "",
     {"Description\t", "Originator\tZOOM Handy Recorder H4n", "OriginatorReference\t", "OriginationDate\t2023-11-05",
      "OriginationTime\t17:54:35", "TimeReference\t3094800000 (17:54:35.000 at 48000 Hz)"}, 10},
    {"bext_v2_libsndfile", Corpus("sfmeta-bext-info.wav"), "bext", "",
     {"Description\tsndfile bext description", "Originator\tOndulo corpus", "OriginatorReference\tREF0001",
      "OriginationDate\t2024-02-29", "OriginationTime\t23:59:59", "TimeReference\t0 (00:00:00.000 at 44100 Hz)",
      "Version\t2", "UMID\t554D494430303031000000000000000000000000000000000000000000000000"}, 17},
    {"info_utf8_ffmpeg", Corpus("ff-info-utf8.wav"), "LIST", "INFO",
     {"Artist (IART)\t\xC3\x84rtist", "Copyright (ICOP)\t\xC2\xA9 2024", "Creation date (ICRD)\t2024",
      "Genre (IGNR)\tTest", "Title (INAM)\tT\xC3\xABst \xC3\x9Cnicode", "Software (ISFT)\tLavf59.27.100"}},
    {"id3v24_with_extended_header", Corpus("tinytag-gsm_6_10.wav"), "id3 ", "",
     {"Version\tID3v2.4.0", "Flags\t0x40 (extended header)", "Size\t136 bytes", "Comment (COMM)\tsome comment here",
      "Genre (TCON)\tBass", "Recording time (TDRC)\t2010", "Track (TRCK)\t99", "Album (TALB)\talbum",
      "Title (TIT2)\ttrack", "Artist (TPE1)\tartist"}},
    {"id3v23_sound_grinder", Corpus("wavinfo_sound_grinder_pro_new_camera_bumb_1.wav"), "ID3 ", "",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t132 bytes", "Copyright (TCOP)\t\xC2\xA9 2010 Jamie Hardt",
      "Encoded by (TENC)\tSound Grinder Pro 2.1.7", "Artist (TPE1)\tJamie Hardt",
      "Encoder settings (TSSE)\tSound Grinder Pro", "Year (TYER)\t2016"}},
    {"id3v23_soundminer", Corpus("wavrw_example_a.wav"), "ID3 ", "",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t2,038 bytes", "Album artist (TPE2)\tLibrary",
      "Subtitle (TIT3)\tNotes", "Content group (TIT1)\tPublisher", "Lyrics (USLT)\tLyrics"}, 23},
    {"ixml_soundminer", Corpus("wavrw_example_a.wav"), "iXML", "",
     {"BWFXML\t", "   IXML_VERSION\t1.61", "   SCENE\tScene", "   PROJECT\tixmlProject", "   TAKE\tTake", "   BEXT\t",
      "      BWF_ORIGINATOR_REFERENCE\tBWOriginatorRef"}, 138},
    {"xmp_soundminer", Corpus("wavrw_example_a.wav"), "_PMX", "",
     {"x:xmpmeta\t", "   @x:xmptk\tXMP Core 5.5.0", "   rdf:RDF\t", "      rdf:Description\t", "         @rdf:about\t",
      "         xmp:CreatorTool\tSoundminer"}, 32},
    {"md5_soundminer", Corpus("wavrw_example_a.wav"), "MD5 ", "", {"MD5\t83F4C7595E3F9608378F3B39D4BEA537"}},
    {"umid_sound_grinder", Corpus("wavinfo_sound_grinder_pro_new_camera_bumb_1.wav"), "umid", "",
     {"UMID\t000000002A0000009143F9C838AF5BF90000000000000000"}},
    {"cart_atl", Corpus("atl-cart.wav"), "cart", "",
     {"Version\t0101", "Title\ttitle", "Artist\tartist", "CutID\tcutId", "ClientID\tclientId", "Category\tcategory",
      "Classification\tclassification", "OutCue\toutCue", "StartDate\t1900/01/01", "StartTime\t12:34:56",
      "EndDate\t2199/12/31", "EndTime\t21:43:56", "ProducerAppID\tproducerApplicationId",
      "ProducerAppVersion\tproducerApplicationVersion", "UserDef\tuserDefined", "LevelReference\t32768",
      "PostTimer 1\tnot used"}, 26},
    {"peak_libsndfile", Corpus("sfc-float64.wav"), "PEAK", "",
     {"Version\t1", "Time stamp\t1796640783 (2026-12-07 10:53:03 UTC)", "Channel 1\t1 (0.0 dBFS) at frame 167"}},
    {"levl_ffmpeg", Corpus("ff-peak-fmt1.wav"), "levl", "",
     {"Version\t1", "Format\t1 (8-bit values)", "Points per value\t2 (positive and negative peak)",
      "Block size\t64 frames", "Channels\t1", "Frames\t7", "Position of the peak of peaks\tunknown (0xFFFFFFFF)",
      "Offset to peaks\t128", "Time stamp\t2026:12:07:10:53:01:065", "Peak points\t14"}},
};

const RealCase kSharedCases[] = {
    {"acid_loop", Shared("corpus/go-wav_misaligned-chunk.wav"), "acid", "",
     {"Flags\t0x00000002 (root note set)", "Root note\t57 (A4)", "Beats\t32", "Meter denominator\t4",
      "Meter numerator\t4", "Tempo\t75 BPM"}},
    {"fllr_pro_tools", Shared("corpus/wavinfo_protools_umid.wav"), "FLLR", "", {"Size\t31,532 bytes", "Content\tall zero"}},
    {"bext_v1_pro_tools", Shared("corpus/wavinfo_protools_umid.wav"), "bext", "",
     {"Description\t", "Originator\tPro Tools", "OriginatorReference\taay5Lx9WcOQk", "OriginationDate\t2020-01-05",
      "OriginationTime\t07:56:18", "TimeReference\t676200 (00:00:15.333 at 44100 Hz)", "Version\t1",
      "UMID\t060A2B340101010501010F1013000000AA02C3D5E5E5800033754F71BFE13E00"}, 10},
    {"bext_v2_nuendo_loudness", Shared("corpus/wavinfo_nuendo_Mono.wav"), "bext", "",
     {"Description\twavinfo Test Project Nuendo output", "Originator\tNuendo",
      "OriginatorReference\tUSJPHNNNNNNNNN202829RRRRRRRRR", "OriginationDate\t2022-12-02",
      "OriginationTime\t10:21:06", "TimeReference\t172800000 (01:00:00.000 at 48000 Hz)", "Version\t2",
      "UMID\tD639BCC6FB3248FAACB444E5FF7FF38F00000000000000000000000000000000", "LoudnessValue\t-80.00 LUFS",
      "LoudnessRange\t0.00 LU", "MaxTruePeakLevel\t-120.00 dBTP", "MaxMomentaryLoudness\t-80.00 LUFS",
      "MaxShortTermLoudness\t-80.00 LUFS"}, 16},
    {"disp_audition", Shared("corpus2/mm-riff_adobe_audition.wav"), "DISP", "", {"Type\t1 (CF_TEXT)", "Text\tDisplay Title"}},
};
// clang-format on

class CorpusFiles : public testing::TestWithParam<RealCase> {};
class SharedFiles : public testing::TestWithParam<RealCase> {};

std::string RealCaseName(const testing::TestParamInfo<RealCase>& test) { return test.param.what; }
void PrintTo(const RealCase& c, std::ostream* out) { *out << c.what; }

TEST_P(CorpusFiles, ShowTheirRows) { ExpectRealRows(GetParam()); }

TEST_P(SharedFiles, ShowTheirRows) {
    if (!std::filesystem::exists(GetParam().path)) GTEST_SKIP() << "no file at " << GetParam().path;
    ExpectRealRows(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Real, CorpusFiles, testing::ValuesIn(kCorpusCases), RealCaseName);
INSTANTIATE_TEST_SUITE_P(Real, SharedFiles, testing::ValuesIn(kSharedCases), RealCaseName);

}  // namespace
}  // namespace chunkinfotest

namespace chunkinfotest {
namespace {

// Every entry of every file of the shared collections shows its rows; the
// one sentence among them is the one its file deserves.
TEST(SharedFiles, EveryEntryOfEveryFileShowsItsRows) {
    std::vector<std::string> sentences;
    int entries = 0;
    for (const char* collection : {"corpus", "corpus2"}) {
        const std::filesystem::path dir = std::filesystem::path(SharedDir()) / collection;
        if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no collection at " << dir;
        for (const auto& file : std::filesystem::directory_iterator(dir)) {
            if (file.path().extension() != ".wav") continue;
            wavedoc::WaveDocument document;
            if (document.Load(file.path().string()) != wavedoc::LoadOk) continue;
            for (const wavedoc::MapEntry& entry : document.Structure().entries) {
                rows::RowList rows;
                ++entries;
                if (std::optional<std::string> sentence = chunkinfo::ShowEntryRows(document, entry, rows)) {
                    sentences.push_back(file.path().filename().string() + ": " + *sentence);
                }
            }
        }
    }
    EXPECT_GT(entries, 800);
    EXPECT_EQ(sentences,
              std::vector<std::string>{"taglib-invalid-chunk.wav: The id3 chunk could not be shown in "
                                       "full: the id3 chunk ends before its field tag header."});
}

}  // namespace
}  // namespace chunkinfotest
