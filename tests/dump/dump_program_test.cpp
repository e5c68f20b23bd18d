// Runs the built ondulo-dump on real files and compares its JSON with the
// stored expectations; ONDULO_UPDATE_GOLDEN=1 rewrites them after a deliberate change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/dump/dump_options.h"
#include "support/corpus.h"
#include "support/run_dump.h"

namespace {

using wavtest::DumpRun;
using wavtest::Words;

// Runs ondulo-dump inside the corpus folder, so that the paths it reports are
// the bare file names.
DumpRun RunInCorpus(const std::vector<std::string>& arguments, const std::string& outTo = "") {
    return wavtest::RunDump(arguments, {wavtest::CorpusDir(), outTo});
}

struct GoldenCase {
    const char* file;
    int exitStatus;
};
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.file; }

class DumpGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(DumpGolden, JsonMatchesTheStoredExpectation) {
    const std::string file = GetParam().file;
    const DumpRun run = RunInCorpus({"--json", file});
    EXPECT_EQ(run.exitStatus, GetParam().exitStatus);

    const std::string goldenPath =
        std::string(ONDULO_TEST_DATA_DIR) + "/golden/" + file.substr(0, file.rfind('.')) + ".json";
    if (std::getenv("ONDULO_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(goldenPath, std::ios::binary) << run.out;
    }
    std::ifstream golden(goldenPath, std::ios::binary);
    ASSERT_TRUE(golden) << "missing " << goldenPath;
    std::ostringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(run.out, expected.str());
}

const GoldenCase kGoldenCases[] = {
    {"wavinfo_izotoperx_cues_test.wav", 0},
    {"wavrw_1khz_sine_48k_mono_region_marker.wav", 0},
    {"go-wav_flloop.wav", 0},
    {"wavefile-rb_smpl_chunk_loop_count_too_high.wav", 0},
    {"wavefile-rb_float_format_chunk_oversized_extension_and_extra_bytes.wav", 0},
    {"wavefile-rb_insufficient_format_chunk.wav", 0},
    {"wavefile-js_RIFX-16bit-mono.wav", 0},
    {"wavefile-rb_no_riff_format.wav", 1},
    {"hound_fuzz-oom-48ae4cd0.wav", 0},  // a chunk running past the end: a note
};

INSTANTIATE_TEST_SUITE_P(Corpus, DumpGolden, testing::ValuesIn(kGoldenCases));

TEST(DumpProgram, ExitStatusAndErrorStreamTellWhatWentWrong) {
    const std::tuple<std::string, int, std::string> cases[] = {
        // arguments, exit status, part of the error stream
        {"wavrw_example_a.wav go-wav_flloop.wav", 0, ""},
        {"wavrw_example_a.wav no-such.wav", 1, "no-such.wav"},
        // The chunk list's refusal of RF64, BW64 and RIFX is no fault of the
        // file: where the structure and the findings are reported, the
        // findings alone decide; where only the chunk list is, it is unread.
        {"--json wavefile-js_RIFX-16bit-mono.wav wavrw_example_a.wav", 0, ""},
        {"--check wavefile-js_RIFX-16bit-mono.wav", 0, "the chunk list shows RIFF files only"},
        {"--structure wavefile-js_RIFX-16bit-mono.wav", 0, "the chunk list shows RIFF files only"},
        {"wavefile-js_RIFX-16bit-mono.wav", 1, "the chunk list shows RIFF files only"},
        {". wavrw_example_a.wav", 1, "\".\""},
        // Bad usage: the problem and where to read more, not the whole help.
        {"", 2, "ondulo-dump: no WAV file named\nTry 'ondulo-dump --help' for more information.\n"},
        {"--verbose wavrw_example_a.wav", 2, "unknown option --verbose\nTry 'ondulo-dump --help'"},
        // With --check, a warning or an error fails the run; a note does not.
        {"--check wavinfo_izotoperx_cues_test.wav go-wav_listChunkInHeader.wav", 0, ""},
        {"--check go-wav_listChunkInHeader.wav wavefile-rb_smpl_chunk_loop_count_too_high.wav", 1, ""},
        {"--json wavefile-rb_smpl_chunk_loop_count_too_high.wav", 0, ""},
    };
    for (const auto& [arguments, exitStatus, message] : cases) {
        const DumpRun run = RunInCorpus(Words(arguments));
        EXPECT_EQ(run.exitStatus, exitStatus) << arguments;
        EXPECT_NE(run.errors.find(message), std::string::npos) << run.errors;
        if (exitStatus == 2) {
            EXPECT_EQ(run.errors.find("Usage:"), std::string::npos) << run.errors;
        }
    }
}

// --verify-md5 hashes the audio of a file with an MD5 chunk: the file as
// written passes, a copy with one byte of audio changed is an error.
TEST(DumpProgram, VerifiesAnMd5DigestOnlyWhenAsked) {
    std::ifstream in(wavtest::CorpusDir() + "/wavrw_example_a.wav", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string changed = bytes.str();
    changed[700] = static_cast<char>(changed[700] ^ 1);  // inside the data chunk, which starts at 648
    const wavtest::ScratchDir scratch;
    const std::string intact = scratch.File("intact.wav", bytes.str());
    const std::string damaged = scratch.File("damaged.wav", changed);
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        bool mismatch;
    };
    const Case cases[] = {
        {{"--verify-md5", intact}, 0, false},
        {{"--verify-md5", damaged}, 1, true},
        {{"--verify-md5", "--jsonl", damaged}, 0, true},  // JSON fails the run only with --check
        {{"--check", damaged}, 0, false},
    };
    for (const Case& c : cases) {
        const DumpRun run = wavtest::RunDump(c.arguments);
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1] + "\n" + run.out + run.errors);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_EQ(run.out.find("md5-mismatch") != std::string::npos, c.mismatch);
    }
}

// The plain text form says what the window's status line says of a file
// whatever is selected: the content lost, as a chunk cut off by the end of
// the file. Only the check's findings fail a run.
TEST(DumpProgram, PlainTextTellsOfContentLost) {
    std::ifstream in(wavtest::CorpusDir() + "/wavrw_example_a.wav", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const wavtest::ScratchDir scratch;
    const std::string cut = scratch.File("cut.wav", bytes.str().substr(0, 700));  // 44 bytes of its audio
    const std::string lost = "! The \"data\" chunk at offset 648 says it holds ";
    const std::tuple<std::string, std::string, int, bool> cases[] = {
        // form, file, exit status, whether the sentence is written beside the rows
        {"", cut, 0, true},
        {"", wavtest::CorpusDir() + "/wavrw_example_a.wav", 0, false},
        {"--check", cut, 1, false},  // a finding there, not a sentence beside rows
    };
    for (const auto& [form, file, exitStatus, said] : cases) {
        const DumpRun run =
            wavtest::RunDump(form.empty() ? std::vector<std::string>{file} : Words(form + " " + file));
        SCOPED_TRACE(form + " " + file + "\n" + run.out + run.errors);
        EXPECT_EQ(run.exitStatus, exitStatus);
        const std::size_t at = run.out.find(lost);
        EXPECT_EQ(at != std::string::npos, said);
        if (said) {
            EXPECT_NE(run.out.find("but the file ends after 44 of them.\n", at), std::string::npos);
        }
    }
}

// --measure decodes the audio of each file and writes its figures; a PEAK
// chunk the audio does not bear out is a warning. Over a folder with -r,
// each file's JSON line carries its own figures, and --summarise reads them.
TEST(DumpProgram, MeasuresTheSoundOfEachFileWhenAsked) {
    std::ifstream in(wavtest::CorpusDir() + "/wavrw_example_a.wav", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    // A PEAK chunk after the audio, giving a peak of 0.5 at frame 0 (the
    // audio's is 0.267754 at frame 1); the RIFF size grows by its 24 bytes.
    std::string peaked = bytes.str();
    const std::string peak = std::string("PEAK\x10\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\x3F\0\0\0\0", 24);
    peaked += peak;
    const std::uint32_t riffSize = static_cast<std::uint32_t>(peaked.size() - 8);
    for (std::size_t i = 0; i < 4; ++i) peaked[4 + i] = static_cast<char>(riffSize >> (8 * i) & 0xFF);
    const wavtest::ScratchDir scratch;
    const std::string plain = scratch.File("a.wav", bytes.str());
    const std::string claims = scratch.File("b.wav", peaked);
    const std::string adpcm = scratch.File(
        "c.wav",
        wavtest::ReadBytes(wavtest::CorpusPath("wavefile-js_4-bit-imaadpcm-8kHz-noBext-mono-reaper.wav")));
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {{"--measure", plain},
         0,
         {"\nmeasured:\n  format\t24-bit PCM, 1 channel, 48000 Hz\n  length\t480 frames (0.010 "
          "s)\n",
          "  integrated loudness\ttoo short to measure: under 0.4 s\n", "  true peak\t-11.44 dBTP\n",
          "  channel 1\tsample peak 0.267754 (-11.45 dBFS) at frame 1, 0 samples clipped\n"}},
        {{"--measure", claims},
         1,
         {"peak-mismatch\tThe \"PEAK\" chunk at offset 21634 gives the peak of channel 1 as 0.5 at frame 0, "
          "but the "
          "audio's peak is 0.267754, first at frame 1."}},
        {{"--measure", adpcm}, 0, {"measured:\n! The sound of", "is not measured: its audio is IMA ADPCM"}},
        {{"--measure", "--jsonl", "-r", scratch.Dir()},
         0,
         {"\"measured\": {\"unmeasured\": null, \"format\": \"24-bit PCM\"",
          "\"loudness\": {\"integrated\": null, \"range\": null, \"true_peak\": -11.44,",
          "\"channel_peaks\": [{\"channel\": 1, \"sample_peak\": 0.267754, \"sample_peak_dbfs\": -11.45, "
          "\"peak_frame\": 1, \"clipped\": 0, \"nan\": 0, \"infinite\": 0}], \"stopped\": false}",
          "\"measured\": {\"unmeasured\": \"The sound of"}},
        {{"--check", claims}, 0, {"findings:\n"}},
    };
    for (const Case& c : cases) {
        const DumpRun run = wavtest::RunDump(c.arguments);
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1] + "\n" + run.out + run.errors);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        for (const std::string& words : c.says) EXPECT_NE(run.out.find(words), std::string::npos) << words;
        if (c.arguments[0] != "--measure") {
            EXPECT_EQ(run.out.find("measured"), std::string::npos);
            EXPECT_EQ(run.out.find("peak-mismatch"), std::string::npos);
        }
    }
    // The lines of a measured run read back as any others.
    const DumpRun lines = wavtest::RunDump({"--measure", "--jsonl", "-r", scratch.Dir()});
    const std::string written = scratch.File("run.jsonl", lines.out);
    const DumpRun summary = wavtest::RunDump({"--summarise", written});
    EXPECT_NE(summary.out.find("  files\t3\n"), std::string::npos) << summary.out << summary.errors;
    EXPECT_NE(summary.out.find("    peak-mismatch\t1\n"), std::string::npos) << summary.out;
}

TEST(DumpProgram, HelpAndVersionGoToStandardOutputAndSucceed) {
    const std::string version = "ondulo-dump " ONDULO_EXPECTED_VERSION "\n";
    const std::pair<std::string, std::string> cases[] = {
        // arguments, the whole standard output
        {"--help", DumpUsage()},
        {"-h wavrw_example_a.wav", DumpUsage()},
        {"--version", version},
        {"--json --version wavrw_example_a.wav", version},
    };
    for (const auto& [arguments, output] : cases) {
        const DumpRun run = RunInCorpus(Words(arguments));
        EXPECT_EQ(run.exitStatus, 0) << arguments;
        EXPECT_EQ(run.out, output) << arguments;
    }
}

}  // namespace

namespace {

// A report that does not reach its reader is no success.
TEST(DumpProgram, FailsWhenItsOutputCannotBeWritten) {
    for (const std::string form : {"", "--json ", "--check ", "--structure "}) {
        const DumpRun run = RunInCorpus(Words(form + "wavrw_example_a.wav go-wav_flloop.wav"), "/dev/full");
        EXPECT_EQ(run.exitStatus, 1) << form;
        EXPECT_EQ(run.errors, "ondulo-dump: the output could not be written: No space left on device.\n")
            << form;
    }
}

}  // namespace
