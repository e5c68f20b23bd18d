// The mended copy: one table of damage classes, each a file built here from a
// clean one, with the plan's codes and the copy it must give; then the
// properties every mend keeps (idempotence, never in place, nothing left
// behind) and the exit statuses of ondulo-dump --mend.
#include "mend/mend.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/run_dump.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "wavecheck/sha256.h"

namespace {

using namespace wavtest;

const std::string kAudio = PatternAudio(1000);
const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));
const std::string kInfo =
    Chunk("LIST", ListPayload("INFO", Chunk("INAM", std::string("Take 1\0", 7)) +
                                          Chunk("ISFT", std::string("Ondulo tests\0", 13))));
const std::string kOdd = Chunk("abcd", "xyz");  // an odd chunk, with its pad byte
// The intact file every class is made from.
const std::string kBase = RiffFile(kFmt + Chunk("data", kAudio) + kInfo);

std::string Hash(const std::string& bytes) {
    wavecheck::Sha256 hash;
    hash.Update(bytes);
    return wavecheck::Sha256::Hex(hash.Finish());
}

std::string Header(std::string_view id, std::uint32_t size) { return std::string(id) + U32(size); }

struct DamageClass {
    const char* name;
    std::string file;
    std::vector<std::string> codes;  // the codes of the plan's changes, once each, in order of first change
    std::string dest;                // the copy, byte for byte; empty: only its properties are held
    std::uint64_t audioBytes = 4000;
    std::size_t dropped = 0;  // how many runs of bytes the copy leaves out
};

std::vector<std::string> CodesOf(const mend::Plan& plan) {
    std::vector<std::string> codes;
    for (const mend::Change& change : plan.changes) {
        if (std::find(codes.begin(), codes.end(), change.code) == codes.end()) codes.push_back(change.code);
    }
    return codes;
}

const std::vector<DamageClass>& Classes() {
    static const std::vector<DamageClass> classes = {
        {"stream never finished: sizes 0xFFFFFFFF, a chunk after the audio",
         "RIFF" + U32(0xFFFFFFFF) + "WAVE" + kFmt + Header("data", 0xFFFFFFFF) + kAudio + kInfo,
         {"unfinished"},
         kBase},
        {"data size 0, the audio after it",
         "RIFF" + U32(0) + "WAVE" + kFmt + Header("data", 0) + kAudio + kInfo,
         {"unfinished"},
         kBase},
        {"SoX on a pipe: a size just under 2 GiB, no chunk after",
         "RIFF" + U32(0x7FFFF024) + "WAVE" + kFmt + Header("data", 0x7FFFF000) + kAudio,
         {"unfinished"},
         RiffFile(kFmt + Chunk("data", kAudio))},
        {"interrupted recording: a partial last frame",
         "RIFF" + U32(0) + "WAVE" + kFmt + Header("data", 0) + kAudio + "\x01\x02\x03",
         {"unfinished"},
         RiffFile(kFmt + Chunk("data", kAudio)),
         4000,
         1},
        {"a data size that takes in the start of the chunk after it",
         RiffFile(kFmt + Chunk("data", kAudio + kInfo.substr(0, 6), 4006) + kInfo.substr(6)),
         {"not-a-chunk"},
         kBase},
        {"a metadata chunk cut by the end of the file",
         kBase.substr(0, kBase.size() - 10),
         {"past-end"},
         RiffFile(kFmt + Chunk("data", kAudio)),
         4000,
         1},
        {"the audio cut inside a frame",
         RiffFile(kFmt + Chunk("data", kAudio)).substr(0, 44 + 3998),
         {"past-end"},
         RiffFile(kFmt + Chunk("data", kAudio.substr(0, 3996))),
         3996,
         1},
        {"RIFF size too small: a tag after the end of the RIFF",
         RiffFile(kFmt + Chunk("data", kAudio)) + kInfo,
         {"trailing-bytes"},
         kBase},
        {"RIFF size too large",
         RiffFile(kFmt + Chunk("data", kAudio) + kInfo, "WAVE", 4 + 24 + 4008 + 50 + 100),
         {"riff-size"},
         kBase},
        {"a pad byte missing",
         RiffFile(kFmt + Chunk("abcd", "xyz", std::nullopt, false) + Chunk("data", kAudio) + kInfo),
         {"pad-missing"},
         RiffFile(kFmt + kOdd + Chunk("data", kAudio) + kInfo)},
        {"a pad byte not zero",
         RiffFile(kFmt + Chunk("abcd", "xyz", std::nullopt, false) + "\x55" + Chunk("data", kAudio) + kInfo),
         {"pad-not-zero"},
         RiffFile(kFmt + kOdd + Chunk("data", kAudio) + kInfo)},
        {"stray bytes between chunks, not zeros",
         RiffFile(kFmt + Chunk("data", kAudio) + "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a" + kInfo),
         {"not-a-chunk"},
         RiffFile(kFmt + Chunk("data", kAudio) + Chunk("JUNK", "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a") +
                  kInfo)},
        {"stray zeros between chunks",
         RiffFile(kFmt + Chunk("data", kAudio) + std::string(10, '\0') + kInfo),
         {"not-a-chunk"},
         kBase,
         4000,
         1},
        {"data before fmt", RiffFile(Chunk("data", kAudio) + kFmt + kInfo), {"data-before-fmt"}, kBase},
        {"byte rate, block align and fact count wrong",
         RiffFile(Chunk("fmt ", U16(1) + U16(2) + U32(44100) + U32(12345) + U16(3) + U16(16)) +
                  Chunk("fact", U32(77)) + Chunk("data", kAudio) + kInfo),
         {"block-align", "byte-rate", "fact-length"},
         RiffFile(kFmt + Chunk("fact", U32(1000)) + Chunk("data", kAudio) + kInfo)},
        {"a partial frame at the end of the data chunk",
         RiffFile(kFmt + Chunk("data", kAudio + "\x01\x02") + kInfo),
         {"partial-frame"},
         kBase,
         4000,
         1},
        {"a RIFX head on a file written least significant byte first",
         "RIFX" + kBase.substr(4),
         {"byte-order"},
         kBase},
        {"a ds64 chunk of 24 bytes",
         "RF64" + U32(0xFFFFFFFF) + "WAVE" + Chunk("ds64", U64(4 + 32 + 24 + 4008) + U64(4000) + U64(1000)) +
             kFmt + Header("data", 0xFFFFFFFF) + kAudio,
         {"ds64-short"},
         "RF64" + U32(0xFFFFFFFF) + "WAVE" +
             Chunk("ds64", U64(4 + 36 + 24 + 4008) + U64(4000) + U64(1000) + U32(0)) + kFmt +
             Header("data", 0xFFFFFFFF) + kAudio},
    };
    return classes;
}

class MendClass : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MendClass, PlansWritesAndProves) {
    const DamageClass& damage = Classes()[GetParam()];
    SCOPED_TRACE(damage.name);
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", damage.file);
    const report::Analysis analysis = report::Analyse(file);
    const mend::Plan plan = mend::MakePlan(analysis);
    ASSERT_FALSE(plan.Refused()) << plan.refusal;
    EXPECT_EQ(CodesOf(plan), damage.codes);
    for (const mend::Change& change : plan.changes) {
        EXPECT_LE(change.offset + change.length, damage.file.size()) << change.sentence;
        EXPECT_FALSE(change.sentence.empty());
        EXPECT_NE(std::find(mend::MendedCodes().begin(), mend::MendedCodes().end(), change.code),
                  mend::MendedCodes().end())
            << change.code;
    }
    EXPECT_EQ(plan.dropped.size(), damage.dropped);
    EXPECT_EQ(plan.audioBytes, damage.audioBytes);

    const std::string dest = scratch.Path("mended.wav");
    const mend::WriteResult written = mend::WritePlan(analysis, plan, dest);
    ASSERT_EQ(written.status, mend::WriteStatus::Written) << written.message;
    const std::string copy = ReadBytes(dest);
    if (!damage.dest.empty()) {
        EXPECT_EQ(copy.size(), damage.dest.size());
        const auto differ = std::mismatch(copy.begin(), copy.end(), damage.dest.begin(), damage.dest.end());
        EXPECT_TRUE(copy == damage.dest)
            << "the copy differs first at offset " << (differ.first - copy.begin());
    }
    // The audio, as FILE holds it in whole frames, and its digest.
    const std::string audio = damage.file.substr(plan.audioOffset, plan.audioBytes);
    EXPECT_EQ(written.sourceAudioSha256, Hash(audio));
    EXPECT_EQ(written.destAudioSha256, Hash(audio));
    EXPECT_NE(copy.find(audio), std::string::npos);
    // The source is never touched.
    EXPECT_EQ(ReadBytes(file), damage.file);
    // The copy's own check finds no error, and its mend is empty.
    const mend::Recheck recheck = mend::CheckCopy(dest);
    EXPECT_TRUE(recheck.loaded);
    for (const wavecheck::Finding& error : recheck.errors)
        ADD_FAILURE() << error.code << ": " << error.message;
    EXPECT_TRUE(recheck.nothingToMend);
}

INSTANTIATE_TEST_SUITE_P(Classes, MendClass, ::testing::Range<std::size_t>(0, Classes().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             std::string name = Classes()[param.param].name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return std::to_string(param.param) + "_" + name.substr(0, 40);
                         });

TEST(Mend, IntactFileHasNothingToMend) {
    const ScratchDir scratch;
    const std::string file = scratch.File("base.wav", kBase);
    const mend::Plan plan = mend::MakePlan(report::Analyse(file));
    EXPECT_TRUE(plan.NothingToMend());
    EXPECT_TRUE(plan.dropped.empty());
    EXPECT_EQ(plan.destLength, kBase.size());
    const DumpRun run = RunDump({"--mend", scratch.Path("copy.wav"), file});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.out.find("nothing to mend"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("copy.wav")));
}

TEST(Mend, FileThatIsNoWavIsRefusedAndNothingWritten) {
    const ScratchDir scratch;
    const std::string file = scratch.File("song.wav", "fLaC" + std::string(100, '\0'));
    const DumpRun run = RunDump({"--mend", scratch.Path("copy.wav"), file});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.errors.find("not a WAV file"), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("copy.wav")));
}

TEST(Mend, NeverInPlaceThroughAnyLink) {
    const ScratchDir scratch;
    const std::string damaged = Classes()[0].file;
    const std::string file = scratch.File("damaged.wav", damaged);
    ASSERT_EQ(::link(file.c_str(), scratch.Path("hard.wav").c_str()), 0);
    ASSERT_EQ(::symlink(file.c_str(), scratch.Path("soft.wav").c_str()), 0);
    for (const std::string& dest :
         {file, scratch.Path("hard.wav"), scratch.Path("soft.wav"), scratch.Dir() + "/./damaged.wav"}) {
        const DumpRun run = RunDump({"--mend", dest, file});
        EXPECT_EQ(run.exitStatus, 2) << dest;
        EXPECT_NE(run.errors.find("never mends a file in place"), std::string::npos) << run.errors;
        EXPECT_EQ(ReadBytes(file), damaged);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Dir()), {}), 3);
}

TEST(Mend, CopyThatCannotBeWrittenLeavesNothingBehind) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[0].file);
    const DumpRun missing = RunDump({"--mend", scratch.Path("no-such-folder/copy.wav"), file});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.errors.find("could not be written"), std::string::npos) << missing.errors;
    // A device (or a folder) is never replaced by the copy.
    const DumpRun device = RunDump({"--mend", "/dev/null", file});
    EXPECT_EQ(device.exitStatus, 2);
    EXPECT_NE(device.errors.find("not a regular file"), std::string::npos) << device.errors;
    EXPECT_EQ(RunDump({"--mend", scratch.Dir(), file}).exitStatus, 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Dir()), {}), 1);
}

// A disk that takes no more bytes, as a file size limit makes it: a clear
// error, and neither the copy nor its temporary file left behind.
TEST(Mend, FullDiskLeavesNothingBehind) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[0].file);
    const report::Analysis analysis = report::Analyse(file);
    const mend::Plan plan = mend::MakePlan(analysis);
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const mend::WriteResult result = mend::WritePlan(analysis, plan, scratch.Path("copy.wav"));
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result.status, mend::WriteStatus::Failed);
    EXPECT_NE(result.message.find("could not be written"), std::string::npos) << result.message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Dir()), {}), 1);
}

TEST(Mend, CancelLeavesNothingBehind) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[0].file);
    const report::Analysis analysis = report::Analyse(file);
    const mend::Plan plan = mend::MakePlan(analysis);
    std::atomic<bool> cancel{true};
    mend::WriteOptions options;
    options.cancel = &cancel;
    const mend::WriteResult result = mend::WritePlan(analysis, plan, scratch.Path("copy.wav"), options);
    EXPECT_EQ(result.status, mend::WriteStatus::Cancelled);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Dir()), {}), 1);
}

TEST(Mend, ProgressIsToldTheWholeCopy) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[0].file);
    const report::Analysis analysis = report::Analyse(file);
    const mend::Plan plan = mend::MakePlan(analysis);
    std::uint64_t last = 0;
    std::uint64_t total = 0;
    mend::WriteOptions options;
    options.progress = [&](std::uint64_t done, std::uint64_t all) {
        last = done;
        total = all;
    };
    ASSERT_EQ(mend::WritePlan(analysis, plan, scratch.Path("copy.wav"), options).status,
              mend::WriteStatus::Written);
    EXPECT_EQ(last, plan.destLength);
    EXPECT_EQ(total, plan.destLength);
}

TEST(MendCommand, ExitStatusesAndUsage) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[0].file);
    EXPECT_EQ(RunDump({"--mend"}).exitStatus, 2);
    EXPECT_EQ(RunDump({"--mend", scratch.Path("a.wav")}).exitStatus, 2);
    EXPECT_EQ(RunDump({"--mend", scratch.Path("a.wav"), file, file}).exitStatus, 2);
    EXPECT_EQ(RunDump({"--mend-plan", "--check", file}).exitStatus, 2);
    EXPECT_EQ(RunDump({"--mend-plan", "--mend", scratch.Path("a.wav"), file}).exitStatus, 2);
    const DumpRun plan = RunDump({"--mend-plan", file});
    EXPECT_EQ(plan.exitStatus, 0);
    EXPECT_NE(plan.out.find("unfinished\t"), std::string::npos) << plan.out;
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("a.wav")));
    const DumpRun written = RunDump({"--mend", scratch.Path("a.wav"), file});
    EXPECT_EQ(written.exitStatus, 0) << written.out << written.errors;
    EXPECT_EQ(ReadBytes(scratch.Path("a.wav")), kBase);
    EXPECT_NE(written.out.find("check of DEST: no error"), std::string::npos) << written.out;
    // The mend of the mended copy is empty.
    const DumpRun again = RunDump({"--mend", scratch.Path("b.wav"), scratch.Path("a.wav")});
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_NE(again.out.find("nothing to mend"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("b.wav")));
}

TEST(MendCommand, JsonHoldsThePlanTheDigestsAndTheCheckOfTheCopy) {
    const ScratchDir scratch;
    const std::string file = scratch.File("damaged.wav", Classes()[3].file);
    const DumpRun run = RunDump({"--json", "--mend", scratch.Path("a.wav"), file});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    for (const char* key : {"\"mend\": {", "\"changes\": [", "\"code\": \"unfinished\"", "\"at\": [40, 4]",
                            "\"sentence\": ", "\"left_alone\": [", "\"dropped\": [", "\"at\": [4044, 3]",
                            "\"audio\": {\"file\": {\"offset\": 44, \"bytes\": 4000, \"sha256\": \"",
                            "\"dest\": {\"bytes\": 4000, \"sha256\": \"", "\"written\": true",
                            "\"dest_check\": {\"errors\": [], \"claimed\": 0, \"nothing_to_mend\": true}"}) {
        EXPECT_NE(run.out.find(key), std::string::npos) << key << "\n" << run.out;
    }
    EXPECT_NE(run.out.find(Hash(kAudio)), std::string::npos);
}

// Errors no mend answers: the copy is written, the status is 1, and the
// errors are named.
TEST(MendCommand, ErrorsNoMendAnswersGiveStatusOne) {
    const ScratchDir scratch;
    // A second ds64 chunk (libsndfile refuses the file) beside a RIFF size to mend.
    const std::string body = Chunk("ds64", U64(0) + U64(4000) + U64(1000) + U32(0)) + kFmt +
                             Chunk("ds64", U64(0) + U64(4000) + U64(1000) + U32(0)) + Chunk("data", kAudio);
    const std::string damaged = "RF64" + U32(0xFFFFFFFF) + "WAVE" + body;
    const std::string file = scratch.File("two-ds64.wav", damaged);
    const DumpRun run = RunDump({"--mend", scratch.Path("a.wav"), file});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.errors;
    EXPECT_NE(run.out.find("duplicate"), std::string::npos) << run.out;
}

// A plain RIFF recording over 4 GiB whose sizes wrapped: a sparse file, so
// that it takes a few blocks of disk; the copy is RF64, its ds64 chunk where
// the JUNK chunk held room for it, and sparse too.
TEST(Mend, WrappedSizesOfASparseRecordingOver4GiBGiveRf64) {
    const ScratchDir scratch;
    const std::uint64_t audio = (std::uint64_t{1} << 32) + 40000;
    const std::string head = "WAVE" + Chunk("JUNK", std::string(28, '\0')) + kFmt +
                             Header("data", static_cast<std::uint32_t>(audio));
    const std::uint64_t total = 8 + head.size() + audio;
    const std::string path = scratch.Path("big.wav");
    {
        std::ofstream out(path, std::ios::binary);
        out << "RIFF" << U32(static_cast<std::uint32_t>(total - 8)) << head << kAudio;
        out.seekp(static_cast<std::streamoff>(total - kAudio.size()));
        out << kAudio;
    }
    const report::Analysis analysis = report::Analyse(path);
    ASSERT_TRUE(analysis.findings);
    ASSERT_EQ(analysis.findings->shown.size(), 1u);
    EXPECT_EQ(analysis.findings->shown[0].code, "size-wrapped");
    const mend::Plan plan = mend::MakePlan(analysis);
    EXPECT_EQ(CodesOf(plan), std::vector<std::string>{"size-wrapped"});
    EXPECT_EQ(plan.audioBytes, audio);
    EXPECT_EQ(plan.destLength, total);
    const std::string dest = scratch.Path("big-mended.wav");
    const mend::WriteResult written = mend::WritePlan(analysis, plan, dest);
    ASSERT_EQ(written.status, mend::WriteStatus::Written) << written.message;
    struct stat copy {};
    ASSERT_EQ(::stat(dest.c_str(), &copy), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(copy.st_size), total);
    EXPECT_LT(static_cast<std::uint64_t>(copy.st_blocks) * 512, std::uint64_t{64} << 20);
    std::ifstream in(dest, std::ios::binary);
    std::string start(12 + 36, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start.substr(0, 4), "RF64");
    EXPECT_EQ(start.substr(12, 8), "ds64" + U32(28));
    EXPECT_EQ(start.substr(20, 16), U64(total - 8) + U64(audio));
    const mend::Recheck recheck = mend::CheckCopy(dest);
    for (const wavecheck::Finding& error : recheck.errors)
        ADD_FAILURE() << error.code << ": " << error.message;
    EXPECT_TRUE(recheck.nothingToMend);
}

}  // namespace
