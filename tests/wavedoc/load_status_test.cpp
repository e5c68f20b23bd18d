#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "document_helpers.h"
#include "support/open_descriptors.h"
#include "support/scratch_dir.h"

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
    testing::Values(
        StatusCase{"empty", "", 1, "only 0 bytes"}, StatusCase{"three bytes", "RIF", 1, "only 3 bytes"},
        StatusCase{"big-endian", "RIFX" + U32(4) + "WAVE", 1, "starts with \"RIFX\", not \"RIFF\""},
        StatusCase{"RF64", "RF64" + U32(4) + "WAVE", 1, "starts with \"RF64\", not \"RIFF\""},
        StatusCase{"BW64", "BW64" + U32(4) + "WAVE", 1, "starts with \"BW64\", not \"RIFF\""},
        StatusCase{"AIFF", "FORM" + U32(4) + "AIFF", 1, "does not start with \"RIFF\". It is an AIFF file"},
        StatusCase{"tag only", "RIFF", 2, "ends before the RIFF form type"},
        StatusCase{"short form type", "RIFF" + U32(3) + "WAV", 2, "ends before the RIFF form type"},
        StatusCase{"other form", RiffFile("", "AVI "), 2, "form type is not \"WAVE\""},
        StatusCase{"lower case form", RiffFile("", "wave"), 2, "form type is not \"WAVE\""},
        StatusCase{"header only", RiffFile(""), 0, ""}));

// A file that does not start with "RIFF" is named from its first bytes when
// they are a known signature; bytes near one get the plain sentence.
struct FormCase {
    const char* what;
    std::string head;
    std::string message;
};
void PrintTo(const FormCase& c, std::ostream* os) { *os << c.what; }

class OtherForm : public testing::TestWithParam<FormCase> {};

TEST_P(OtherForm, IsNamedFromItsFirstBytes) {
    WaveDocument document;
    EXPECT_EQ(document.LoadFromMemory(GetParam().head, "in.wav"), wavedoc::LoadNotRiff);
    EXPECT_EQ(document.LoadError(), GetParam().message);
}

const std::string kNotRiff = "The file \"in.wav\" is not a WAV file: it does not start with \"RIFF\".";
std::string NotRiffBut(const std::string& what) { return kNotRiff + " " + what; }
std::string WaveForm(const std::string& tag, const std::string& what) {
    return "The file \"in.wav\" starts with \"" + tag +
           "\", not \"RIFF\", and Ondulo reads only RIFF files. " + what;
}
// The forms the structure window maps and checks.
std::string MappedForm(const std::string& tag, const std::string& what) {
    return "The file \"in.wav\" starts with \"" + tag +
           "\", not \"RIFF\": the chunk list shows RIFF files only, and View > Structure\u2026 (Ctrl+M) "
           "shows "
           "this one. " +
           what;
}
const std::string kWave64Guid("\x2E\x91\xCF\x11\xA5\xD6\x28\xDB\x04\xC1\x00\x00", 12);

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, OtherForm,
    testing::Values(
        FormCase{"RF64", "RF64" + U32(0xFFFFFFFF) + "WAVEds64",
                 MappedForm("RF64", "It is an RF64 file, the 64-bit form of WAV for recordings over 4 GB.")},
        FormCase{"BW64", "BW64" + U32(0xFFFFFFFF) + "WAVE",
                 MappedForm("BW64", "It is a BW64 file, the 64-bit form of WAV for recordings over 4 GB.")},
        FormCase{"big-endian RIFF", "RIFX" + std::string("\0\0\0\x24", 4) + "WAVE",
                 MappedForm("RIFX", "It is a RIFX file, the big-endian form of RIFF.")},
        FormCase{"Wave64", "riff" + kWave64Guid + U32(100) + U32(0),
                 WaveForm("riff", "It is a Wave64 file, Sony's 64-bit form of WAV.")},
        FormCase{"AIFF", "FORM" + std::string("\0\0\0\x2E", 4) + "AIFFCOMM",
                 NotRiffBut("It is an AIFF file, Apple's uncompressed audio format.")},
        FormCase{"AIFF-C", "FORM" + std::string("\0\0\0\x2E", 4) + "AIFCFVER",
                 NotRiffBut("It is an AIFF-C file, Apple's audio format that allows compression.")},
        FormCase{"CAF", std::string("caff\0\x01\0\0desc", 12),
                 NotRiffBut("It is a CAF file, Apple's Core Audio Format.")},
        FormCase{"FLAC", std::string("fLaC\0\0\0\x22", 8),
                 NotRiffBut("It is a FLAC file, losslessly compressed audio.")},
        FormCase{"Ogg", std::string("OggS\0\x02", 6) + std::string(20, '\0'),
                 NotRiffBut("It is an Ogg file, such as Ogg Vorbis or Opus audio.")},
        FormCase{"M4A", std::string("\0\0\0\x20", 4) + "ftypM4A ",
                 NotRiffBut("It is an MP4 file, such as M4A audio.")},
        FormCase{"ID3 tag", std::string("ID3\x04\0\0\0\0\x01\x00", 10),
                 NotRiffBut("It starts with an ID3 tag, as MP3 files usually do.")},
        FormCase{"MPEG-1 layer III frame", "\xFF\xFB\x90\x64" + std::string(8, '\0'),
                 NotRiffBut("It starts with an MPEG audio frame, as MP3 files do.")},
        FormCase{"MPEG-2 layer III frame", "\xFF\xF3\x64\xC4" + std::string(8, '\0'),
                 NotRiffBut("It starts with an MPEG audio frame, as MP3 files do.")},
        // Near misses.
        FormCase{"0xFF without frame sync", std::string("\xFF\x00\x00\x00", 4), kNotRiff},
        FormCase{"0xFF bytes only", "\xFF\xFF\xFF\xFF", kNotRiff},
        FormCase{"UTF-16LE text", std::string("\xFF\xFEH\0e\0l\0l\0o\0", 12), kNotRiff},
        FormCase{"UTF-16BE text", std::string("\xFE\xFF\0H\0e\0l\0l\0o", 12), kNotRiff},
        FormCase{"frame of the reserved version", "\xFF\xEB\x90\x64", kNotRiff},
        FormCase{"frame of the reserved layer", "\xFF\xF9\x90\x64", kNotRiff},
        FormCase{"frame of the reserved sample rate", "\xFF\xFB\x9C\x64", kNotRiff},
        FormCase{"FORM of another type", "FORM" + U32(4) + "8SVX", kNotRiff},
        FormCase{"FORM cut before its type", "FORM" + U32(4), kNotRiff},
        FormCase{"riff without the Wave64 GUID", "riff" + std::string(12, '\0'), kNotRiff},
        FormCase{"riff with the Wave64 GUID cut off", "riff" + kWave64Guid.substr(0, 11), kNotRiff},
        FormCase{"lower-case rf64", "rf64" + U32(4) + "WAVE", kNotRiff},
        FormCase{"ftyp at the start", "ftypM4A " + U32(0), kNotRiff}));

struct UnreadableCase {
    const char* what;
    std::function<std::string(const ScratchDir&)> makePath;
    std::string reason;
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.what; }

class UnreadablePath : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadablePath, GivesStatusThreeWithTheReason) {
    ScratchDir dir;
    const std::string path = GetParam().makePath(dir);
    WaveDocument document;
    EXPECT_EQ(document.Load(path), wavedoc::LoadUnreadable);
    EXPECT_NE(document.LoadError().find("\"" + path + "\""), std::string::npos) << document.LoadError();
    EXPECT_NE(document.LoadError().find(GetParam().reason), std::string::npos) << document.LoadError();
}

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, UnreadablePath,
    testing::Values(
        UnreadableCase{"missing", [](const ScratchDir& d) { return d.Path("none.wav"); }, "does not exist"},
        UnreadableCase{"directory", [](const ScratchDir& d) { return d.Dir(); }, "is a directory"},
        UnreadableCase{"FIFO",  // opening it for reading would wait for a writer
                       [](const ScratchDir& d) { return d.Fifo("fifo.wav"); }, "not a regular file"},
        UnreadableCase{"endless device", [](const ScratchDir&) { return std::string("/dev/zero"); },
                       "not a regular file"}));

TEST(Load, ReportsMissingPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
    ScratchDir dir;
    const std::string path = dir.File("locked.wav", RiffFile(FmtAndData()));
    ::chmod(path.c_str(), 0);
    WaveDocument document;
    EXPECT_EQ(document.Load(path), wavedoc::LoadUnreadable);
    EXPECT_NE(document.LoadError().find("permission"), std::string::npos) << document.LoadError();
}

TEST(Load, FailedLoadKeepsThePreviousChunksAndSuccessReplacesThemAll) {
    ScratchDir dir;
    const std::string first = RiffFile(FmtAndData() + Chunk("cue ", CuePayload({{7, 0}})));
    WaveDocument document;
    ASSERT_EQ(document.Load(dir.File("a.wav", first)), wavedoc::LoadOk);

    EXPECT_EQ(document.Load(dir.File("b.wav", "RIFX")), wavedoc::LoadNotRiff);
    EXPECT_EQ(document.Load(dir.File("c.wav", RiffFile("", "AVI "))), wavedoc::LoadNotWave);
    EXPECT_EQ(document.Load(dir.Path("none.wav")), wavedoc::LoadUnreadable);
    EXPECT_EQ(PresentChunks(document), "fmt :16 cue :28 data:4");
    EXPECT_EQ(document.Cue().CuePoints().Item(1).Id(), 7);

    ASSERT_EQ(document.Load(dir.File("d.wav", RiffFile(Chunk("data", "xy")))), wavedoc::LoadOk);
    EXPECT_EQ(PresentChunks(document), "data:2");
    EXPECT_EQ(document.LoadError(), "");
}

// Whether the process holds a descriptor open on path.
bool HoldsOpen(const std::string& path) { return !DescriptorsOpenOn(path).empty(); }

TEST(Load, KeepsNoFileOpenAndReadsRecordsOnlyFromTheFileAnalysed) {
    ScratchDir dir;
    const std::string bytes = RiffFile(
        FmtAndData() + Chunk("cue ", CuePayload({{7, 0}, {8, 0}})) +
        Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(7, "A")))) + Chunk("PAD ", "\x07"));
    const std::string path = dir.File("audio.wav", bytes);
    WaveDocument document;
    ASSERT_EQ(document.Load(path), wavedoc::LoadOk);
    EXPECT_FALSE(HoldsOpen(path)) << "the analysed file stays open";
    EXPECT_EQ(document.Cue().CuePoints().Item(2).Id(), 8);
    {
        const wavedoc::ReadingSession session(document.Source());
        EXPECT_EQ(document.List().Labels().Item(1).Text(), "A");
        EXPECT_TRUE(HoldsOpen(path));
    }
    EXPECT_FALSE(HoldsOpen(path));

    // Changed in place, with the same size: what was read at load stays, what
    // is read later is refused.
    std::string changed = bytes;
    changed[changed.size() - 2] = '\x2A';
    changed.replace(changed.find("labl") + 12, 1, "B");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << changed;
    const auto later = std::filesystem::last_write_time(path) + std::chrono::seconds(2);
    std::filesystem::last_write_time(path, later);
    EXPECT_EQ(document.Pad().Data(), "\x07");
    for (const auto& read :
         std::vector<std::function<void()>>{[&] { (void)document.Cue().CuePoints().Item(1).Id(); },
                                            [&] { (void)document.List().Labels().Item(1).Text(); }}) {
        try {
            read();
            ADD_FAILURE() << "a changed file was read";
        } catch (const wavedoc::FileChangedError& error) {
            EXPECT_EQ(std::string(error.what()), "The file \"" + path +
                                                     "\" has changed since it was analysed: read it again to "
                                                     "see it as it is now.");
        }
    }

    // Rewritten in place with its size and modification time kept, as tag
    // editors do: the change time still tells.
    ASSERT_EQ(document.Load(path), wavedoc::LoadOk);
    const auto kept = std::filesystem::last_write_time(path);
    // The kernel's file times move in ticks of up to 10 ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::filesystem::last_write_time(path, kept);
    EXPECT_THROW((void)document.List().Labels().Item(1).Text(), wavedoc::FileChangedError);
    std::filesystem::remove(path);
    EXPECT_THROW((void)document.Cue().CuePoints().Item(1).Id(), wavedoc::FileChangedError);
}

}  // namespace
