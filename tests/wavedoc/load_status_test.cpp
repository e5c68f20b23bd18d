#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "document_helpers.h"

using namespace wavtest;
using wavedoc::WaveDocument;

namespace {

struct StatusCase {
    const char* what;
    std::string bytes;
    std::int16_t expected;
    std::string reason;  // part of LoadError()
};
void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.what; }

class LoadStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(LoadStatus, NamesTheFileAndWhatIsWrong) {
    WaveDocument document;
    EXPECT_EQ(document.LoadFromMemory(GetParam().bytes, "in.wav"), GetParam().expected);
    if (GetParam().expected == wavedoc::LoadOk) {
        EXPECT_EQ(document.LoadError(), "");
    } else {
        EXPECT_NE(document.LoadError().find("\"in.wav\""), std::string::npos) << document.LoadError();
        EXPECT_NE(document.LoadError().find(GetParam().reason), std::string::npos) << document.LoadError();
    }
}

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, LoadStatus,
    testing::Values(StatusCase{"empty", "", 1, "only 0 bytes"},
                    StatusCase{"three bytes", "RIF", 1, "only 3 bytes"},
                    StatusCase{"big-endian", "RIFX" + U32(4) + "WAVE", 1, "does not start with \"RIFF\""},
                    StatusCase{"RF64", "RF64" + U32(4) + "WAVE", 1, "does not start with \"RIFF\""},
                    StatusCase{"tag only", "RIFF", 2, "ends before the RIFF form type"},
                    StatusCase{"short form type", "RIFF" + U32(3) + "WAV", 2,
                               "ends before the RIFF form type"},
                    StatusCase{"other form", RiffFile("", "AVI "), 2, "form type is not \"WAVE\""},
                    StatusCase{"lower case form", RiffFile("", "wave"), 2, "form type is not \"WAVE\""},
                    StatusCase{"header only", RiffFile(""), 0, ""}));

// A directory of its own under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wavedoc-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name, const std::string& bytes) const {
        const std::string path = (path_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct UnreadableCase {
    const char* what;
    std::function<std::string(const TempDir&)> makePath;
    std::string reason;
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.what; }

class UnreadablePath : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadablePath, GivesStatusThreeWithTheReason) {
    TempDir dir;
    const std::string path = GetParam().makePath(dir);
    WaveDocument document;
    EXPECT_EQ(document.Load(path), wavedoc::LoadUnreadable);
    EXPECT_NE(document.LoadError().find("\"" + path + "\""), std::string::npos) << document.LoadError();
    EXPECT_NE(document.LoadError().find(GetParam().reason), std::string::npos) << document.LoadError();
}

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, UnreadablePath,
    testing::Values(
        UnreadableCase{"missing", [](const TempDir& d) { return (d.Path() / "none.wav").string(); },
                       "does not exist"},
        UnreadableCase{"directory", [](const TempDir& d) { return d.Path().string(); }, "is a directory"},
        UnreadableCase{"FIFO",  // opening it for reading would wait for a writer
                       [](const TempDir& d) {
                           const std::string path = (d.Path() / "fifo.wav").string();
                           ::mkfifo(path.c_str(), 0600);
                           return path;
                       },
                       "not a regular file"},
        UnreadableCase{"endless device", [](const TempDir&) { return std::string("/dev/zero"); },
                       "not a regular file"}));

TEST(Load, ReportsMissingPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
    TempDir dir;
    const std::string path = dir.File("locked.wav", RiffFile(FmtAndData()));
    ::chmod(path.c_str(), 0);
    WaveDocument document;
    EXPECT_EQ(document.Load(path), wavedoc::LoadUnreadable);
    EXPECT_NE(document.LoadError().find("permission"), std::string::npos) << document.LoadError();
}

TEST(Load, FailedLoadKeepsThePreviousChunksAndSuccessReplacesThemAll) {
    TempDir dir;
    const std::string first = RiffFile(FmtAndData() + Chunk("cue ", CuePayload({{7, 0}})));
    WaveDocument document;
    ASSERT_EQ(document.Load(dir.File("a.wav", first)), wavedoc::LoadOk);

    EXPECT_EQ(document.Load(dir.File("b.wav", "RIFX")), wavedoc::LoadNotRiff);
    EXPECT_EQ(document.Load(dir.File("c.wav", RiffFile("", "AVI "))), wavedoc::LoadNotWave);
    EXPECT_EQ(document.Load((dir.Path() / "none.wav").string()), wavedoc::LoadUnreadable);
    EXPECT_EQ(PresentChunks(document), "fmt :16 cue :28 data:4");
    EXPECT_EQ(document.Cue().CuePoints().Item(1).Id(), 7);

    ASSERT_EQ(document.Load(dir.File("d.wav", RiffFile(Chunk("data", "xy")))), wavedoc::LoadOk);
    EXPECT_EQ(PresentChunks(document), "data:2");
    EXPECT_EQ(document.LoadError(), "");
}

TEST(Load, ReadsTheAudioOnlyWhenAskedAndReportsWhenItIsGone) {
    TempDir dir;
    const std::string path = dir.File("audio.wav", RiffFile(FmtAndData()));
    WaveDocument document;
    ASSERT_EQ(document.Load(path), wavedoc::LoadOk);
    std::filesystem::resize_file(path, 40);  // the data chunk's bytes are gone
    try {
        (void)document.Data().Data();
        FAIL() << "reading vanished audio succeeded";
    } catch (const wavedoc::WaveDocError& error) {
        EXPECT_NE(std::string(error.what()).find("data chunk"), std::string::npos) << error.what();
    }
    document.Data().SetData("");  // what the window does after every load
    EXPECT_EQ(document.Data().Data(), "");
}

}  // namespace
