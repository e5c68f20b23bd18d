// ondulo-dump over folders of real files: the same output whatever the
// number of threads, the summary and exit status of a run over many files,
// the summary worked out again from JSON Lines, and folders and files that
// cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/dump/collection_run.h"
#include "app/dump/dump_options.h"
#include "support/corpus.h"
#include "support/run_dump.h"
#include "support/wav_builder.h"

namespace {

using wavtest::DumpRun;
using wavtest::ScratchDir;
using wavtest::Words;

// A folder "tree" of files from the corpus, one kind of file per folder:
//   clean/atl-cart.wav, clean/deeper/sfc-float64.wav             no finding
//   notes/go-wav_listChunkInHeader.wav                           a note
//   warned/go-wav_flloop.wav                                     a warning and a note
//   broken/hound_fuzz-oom-48ae4cd0.wav                           errors
//   other/wavefile-js_RIFX-16bit-mono.wav, other/readme.txt      RIFX, which the chunk list refuses; no WAV
//   file rf64/small.rf64                                              RF64, which the chunk list refuses; no
//   finding loop -> .                                                    a link back up all/*, all/again/*
//   the whole corpus, twice
class CorpusTree {
public:
    CorpusTree() {
        Copy("clean/atl-cart.wav");
        Copy("clean/deeper/sfc-float64.wav");
        Copy("notes/go-wav_listChunkInHeader.wav");
        Copy("warned/go-wav_flloop.wav");
        Copy("broken/hound_fuzz-oom-48ae4cd0.wav");
        Copy("other/wavefile-js_RIFX-16bit-mono.wav");
        using namespace wavtest;
        const std::string ds64 = U32(76) + U32(0) + U32(4) + U32(0) + U32(2) + U32(0) + U32(0);
        std::filesystem::create_directories(dir_.Path("tree/rf64"));
        dir_.File("tree/rf64/small.rf64", "RF64" + U32(0xFFFFFFFF) + "WAVE" + Chunk("ds64", ds64) +
                                              Chunk("fmt ", PcmFormat(1, 8000, 16)) +
                                              Chunk("data", "abcd", 0xFFFFFFFF));
        dir_.File("tree/other/readme.txt", "Not a WAV file.\n");
        std::filesystem::create_symlink(".", dir_.Path("tree/loop"));
        for (const auto& file : std::filesystem::directory_iterator(wavtest::CorpusDir())) {
            if (file.path().extension() != ".wav") continue;
            Copy("all/" + file.path().filename().string());
            Copy("all/again/" + file.path().filename().string());
        }
    }

    // Runs ondulo-dump in the folder that holds "tree".
    DumpRun Run(const std::string& arguments) const {
        return wavtest::RunDump(Words(arguments), {dir_.Dir(), ""});
    }
    const ScratchDir& Dir() const { return dir_; }

private:
    // Copies the corpus file of the same name to tree/PATH.
    void Copy(const std::string& path) {
        const std::filesystem::path to = dir_.Path("tree/" + path);
        std::filesystem::create_directories(to.parent_path());
        std::filesystem::copy_file(wavtest::CorpusPath(to.filename().string()), to);
    }

    ScratchDir dir_;
};

const std::string kSmallTree = "tree/clean tree/notes tree/warned tree/broken tree/other";

// The summary of kSmallTree.
const std::string kSmallTreeSummary =
    "summary:\n  files\t6\n  with errors\t1\n  with warnings and no errors\t1\n  with only notes\t1\n"
    "  clean\t3\n  not readable\t0\n  check not finished\t0\n  files with each finding code:\n"
    "    loop-cue-id\t1\n    loop-type\t1\n    pad-not-zero\t1\n    past-end\t1\n";

TEST(DumpCollection, OutputIsTheSameWhateverTheNumberOfThreads) {
    const CorpusTree tree;
    for (const std::string form : {"", "--json", "--jsonl", "--structure", "--check", "--check --json",
                                   "--check --jsonl", "--check --all-files"}) {
        const DumpRun one = tree.Run(form + " -r -j 1 tree");
        const DumpRun four = tree.Run(form + " -r -j 4 tree");
        EXPECT_EQ(one.exitStatus, 1) << form;
        EXPECT_EQ(four.exitStatus, one.exitStatus) << form;
        EXPECT_TRUE(four.out == one.out) << form;
        EXPECT_EQ(four.errors, one.errors) << form;
        // Each file once: the link back up is not followed.
        const std::string flloop = form.find("json") != std::string::npos
                                       ? "\"tree/warned/go-wav_flloop.wav\""
                                       : "\ntree/warned/go-wav_flloop.wav\n";
        EXPECT_EQ(one.out.find(flloop), one.out.rfind(flloop)) << form;
        EXPECT_NE(one.out.find(flloop), std::string::npos) << form;
    }
}

// When the system refuses a thread, the run goes on with those it has (down
// to the calling thread alone), says so once and reports exactly what one
// thread reports; a number of jobs beyond what helps is cut down, saying so.
TEST(DumpCollection, GoesOnWithTheThreadsTheSystemGives) {
    const CorpusTree tree;
    struct Case {
        unsigned jobs;
        int threadsGiven;       // -1: as many as asked for
        std::string_view said;  // what standard error says once, before any file's message
    };
    const unsigned processors = std::thread::hardware_concurrency();
    const std::string cut = std::to_string(std::max(2U, 2 * processors));
    const Case cases[] = {
        {2, 0,
         "ondulo-dump: no thread could be started (Resource temporarily unavailable); the files are "
         "reported one at a time instead.\n"},
        {2, 1,
         "ondulo-dump: only 1 of the 2 threads asked for could be started (Resource temporarily "
         "unavailable); the files are reported on those.\n"},
        {2, -1, ""},
        {256, -1, "are run at once.\n"},
    };
    const auto run = [&](unsigned jobs, int threadsGiven) {
        DumpOptions options;
        options.check = true;
        options.jsonl = true;
        options.walk.recursive = true;
        options.jobs = jobs;
        options.files = {tree.Dir().Path("tree/clean"), tree.Dir().Path("tree/broken"),
                         tree.Dir().Path("tree/other")};
        std::ostringstream out;
        std::ostringstream errors;
        int started = 0;
        const ThreadStarter starter = [&](std::function<void()> work) {
            if (threadsGiven >= 0 && started >= threadsGiven)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            ++started;
            return std::thread(std::move(work));
        };
        const int status = ReportCollection(options, {out, errors}, starter);
        return DumpRun{status, out.str(), errors.str()};
    };
    const DumpRun one = run(1, -1);
    ASSERT_FALSE(one.out.empty());
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.jobs) + " jobs, " + std::to_string(test.threadsGiven) + " given");
        const DumpRun fewer = run(test.jobs, test.threadsGiven);
        EXPECT_EQ(fewer.exitStatus, one.exitStatus);
        EXPECT_TRUE(fewer.out == one.out);
        const std::size_t said = fewer.errors.find(test.said);
        ASSERT_NE(said, std::string::npos) << fewer.errors;
        EXPECT_EQ(fewer.errors.substr(said + test.said.size()), one.errors);
        if (test.jobs == 256) {
            EXPECT_NE(fewer.errors.find(" can use; " + cut + " are run"), std::string::npos) << fewer.errors;
        }
    }
}

TEST(DumpCollection, ExitsWithTheWorstStatusOfItsFilesAndSummarisesTheCheck) {
    const CorpusTree tree;
    const std::tuple<std::string, int, std::string> cases[] = {
        // arguments, exit status, the whole standard error
        {"-r tree/clean", 0, ""},
        {"--check -r tree/clean tree/notes", 0,
         "summary:\n  files\t3\n  with errors\t0\n  with warnings and no errors\t0\n  with only notes\t1\n"
         "  clean\t2\n  not readable\t0\n  check not finished\t0\n  files with each finding code:\n"
         "    pad-not-zero\t1\n"},
        {"-r tree/clean tree/warned", 0, ""},
        {"--check -r tree/clean/deeper tree/warned", 1,
         "summary:\n  files\t2\n  with errors\t0\n  with warnings and no errors\t1\n  with only notes\t0\n"
         "  clean\t1\n  not readable\t0\n  check not finished\t0\n  files with each finding code:\n"
         "    loop-cue-id\t1\n    loop-type\t1\n"},
        {"--check tree/clean/atl-cart.wav", 0, ""},
        {"--check -r " + kSmallTree, 1,
         "ondulo-dump: The file \"tree/other/wavefile-js_RIFX-16bit-mono.wav\" starts with \"RIFX\", not "
         "\"RIFF\": the chunk list shows RIFF files only, but the structure map and the check read it. It "
         "is a RIFX file, the big-endian form of RIFF.\n" +
             kSmallTreeSummary},
        // The chunk list's refusal of an RF64 file is no fault: the check
        // reads it, and finds nothing.
        {"--check -r tree/clean tree/rf64", 0,
         "ondulo-dump: The file \"tree/rf64/small.rf64\" starts with \"RF64\", "
         "not \"RIFF\": the chunk list shows RIFF files only, but the structure map and the check read it. "
         "It is "
         "an RF64 file, the 64-bit form of WAV for recordings over 4 GB.\n"
         "summary:\n  files\t3\n  with errors\t0\n  with warnings and no errors\t0\n  with only notes\t0\n"
         "  clean\t3\n  not readable\t0\n  check not finished\t0\n  files with each finding code: none\n"},
        // Without -r a folder is no file.
        {"--check tree/clean", 1,
         "ondulo-dump: \"tree/clean\" is a folder: give -r to check the files in it.\n"},
    };
    for (const auto& [arguments, exitStatus, errors] : cases) {
        const DumpRun run = tree.Run(arguments);
        EXPECT_EQ(run.exitStatus, exitStatus) << arguments;
        EXPECT_EQ(run.errors, errors) << arguments;
    }
}

TEST(DumpCollection, SummarisesJsonLinesAsTheRunThatWroteThem) {
    const CorpusTree tree;
    const DumpRun run = tree.Run("--check --jsonl -r " + kSmallTree);
    const std::string lastLine = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
    EXPECT_EQ(lastLine.rfind("{\"summary\": {\"files\": 6, ", 0), 0U) << lastLine;
    // Two runs' lines joined, each with its summary line, count each file.
    tree.Dir().File("runs.jsonl", run.out + run.out);

    const DumpRun text = tree.Run("--summarise runs.jsonl");
    EXPECT_EQ(text.exitStatus, run.exitStatus);
    const std::string twice =
        "summary:\n  files\t12\n  with errors\t2\n  with warnings and no errors\t2\n  with only notes\t2\n"
        "  clean\t6\n  not readable\t0\n  check not finished\t0\n  files with each finding code:\n"
        "    loop-cue-id\t2\n    loop-type\t2\n    pad-not-zero\t2\n    past-end\t2\n";
    EXPECT_EQ(text.out, twice);
    tree.Dir().File("run.jsonl", run.out);
    EXPECT_EQ(tree.Run("--summarise run.jsonl").out, kSmallTreeSummary);
    EXPECT_EQ(tree.Run("--summarise --jsonl run.jsonl").out, lastLine);

    const DumpRun bad = tree.Run("--summarise tree run.jsonl");
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_EQ(bad.errors, "ondulo-dump: \"tree\" cannot be read: Is a directory.\n");
    EXPECT_EQ(bad.out, kSmallTreeSummary);
}

TEST(DumpCollection, ReportsAndCountsAFolderAndAFileItCannotRead) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
    const CorpusTree tree;
    ::chmod(tree.Dir().Path("tree/clean/deeper").c_str(), 0);
    ::chmod(tree.Dir().Path("tree/notes/go-wav_listChunkInHeader.wav").c_str(), 0);
    const DumpRun run = tree.Run("--check -r tree/clean tree/notes");
    ::chmod(tree.Dir().Path("tree/clean/deeper").c_str(), 0700);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(
        run.errors,
        "ondulo-dump: The folder \"tree/clean/deeper\" cannot be read: you do not have permission to read "
        "it.\n"
        "ondulo-dump: The file \"tree/notes/go-wav_listChunkInHeader.wav\" cannot be read: you do not have "
        "permission to read it.\n"
        "summary:\n  files\t3\n  with errors\t0\n  with warnings and no errors\t0\n  with only notes\t0\n"
        "  clean\t1\n  not readable\t2\n  check not finished\t0\n  files with each finding code: none\n");
}

struct OptionsCase {
    std::string arguments;
    std::string problem;  // empty when accepted
    unsigned jobs = 0;
};

TEST(DumpArguments, ReadsTheOptionsForManyFiles) {
    const OptionsCase cases[] = {
        {"-j 3 a.wav", "", 3},
        {"-j3 --jobs=4 a.wav", "", 4},
        {"--jobs 256 a.wav", "", 256},
        {"-j 0 a.wav", "-j wants a number of files to report at once from 1 to 256, not \"0\""},
        {"-j 257 a.wav", "-j wants a number of files to report at once from 1 to 256, not \"257\""},
        {"a.wav -j", "-j wants a number of files to report at once from 1 to 256, not \"\""},
        {"-jx a.wav", "-j wants a number of files to report at once from 1 to 256, not \"x\""},
        {"--json --jsonl a.wav", "--json and --jsonl do not go together: choose one"},
        {"--summarise --check a.jsonl", "--summarise goes with no other option but --jsonl"},
        {"--summarise --verify-md5 a.jsonl", "--summarise goes with no other option but --jsonl"},
        {"--summarise --measure a.jsonl", "--summarise goes with no other option but --jsonl"},
        {"--summarise", "no file of JSON Lines named"},
        {"--summarise --jsonl -", ""},
        {"-r --all-files --jsonl --check -- -r", ""},
    };
    for (const OptionsCase& c : cases) {
        std::string problem;
        const std::optional<DumpOptions> options = ParseDumpArguments(Words(c.arguments), problem);
        EXPECT_EQ(problem, c.problem) << c.arguments;
        EXPECT_EQ(options.has_value(), c.problem.empty()) << c.arguments;
        if (options) {
            EXPECT_EQ(options->jobs, c.jobs) << c.arguments;
        }
    }
    std::string problem;
    const std::optional<DumpOptions> all = ParseDumpArguments(Words("-r --all-files --jsonl -- -r"), problem);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->walk.recursive && all->walk.allFiles && all->jsonl);
    EXPECT_EQ(all->files, std::vector<std::string>{"-r"});
    // Verifying digests gives findings, which the text form shows with --check.
    for (const auto& [arguments, check] :
         {std::pair{"--verify-md5 a.wav", true}, {"--verify-md5 --json a.wav", false}}) {
        const std::optional<DumpOptions> verify = ParseDumpArguments(Words(arguments), problem);
        ASSERT_TRUE(verify) << arguments;
        EXPECT_TRUE(verify->verifyMd5);
        EXPECT_EQ(verify->check, check) << arguments;
    }
    // So does measuring the sound.
    for (const auto& [arguments, check] :
         {std::pair{"--measure a.wav", true}, {"--measure --jsonl a.wav", false}}) {
        const std::optional<DumpOptions> measure = ParseDumpArguments(Words(arguments), problem);
        ASSERT_TRUE(measure) << arguments;
        EXPECT_TRUE(measure->measure);
        EXPECT_EQ(measure->check, check) << arguments;
    }
}

}  // namespace
