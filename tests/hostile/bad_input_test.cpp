// Broken and hostile files, each with what the user is told about it: by the
// component (the sentence the window shows) and by ondulo-dump (its error
// stream, or its "!" lines for a chunk that cannot be shown in full). Nothing
// else may change: a refused file leaves the previous document in place, and
// the analysed file is the same afterwards, byte for byte and in its times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "hostile_files.h"
#include "report/text_report.h"
#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "support/open_descriptors.h"
#include "support/run_dump.h"
#include "wavedoc/document/wave_document.h"

namespace hostile {
namespace {

using wavedoc::WaveDocument;

// What a case expects. For a refused file: the status and the sentence that
// LoadError() gives, "%1" standing for the path. For a file that loads: the
// chunk list ("name:size" joined by spaces) and the sentence of every chunk that
// cannot be shown in full, plus rows that must appear among a chunk's values.
struct HostileCase {
    const char* what;
    std::function<std::string(const ScratchDir&)> makePath;
    std::int16_t status;
    std::string message;
    std::map<std::string, std::string> stopsShort = {};
    std::vector<std::pair<std::string, std::string>> shownRows = {};
    // What ondulo-dump says instead of `message`, where it reads more of the
    // file than the chunk list (a 64-bit form of WAV) or can say what to do.
    std::string dumpMessage = {};
};
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.what; }

std::string WithPath(std::string message, const std::string& path) {
    const std::size_t at = message.find("%1");
    return at == std::string::npos ? message : message.replace(at, 2, path);
}

// "name:size" of every listed chunk.
std::string ChunkList(const WaveDocument& document) {
    rows::RowList chunks;
    rows::RowList values;
    rows::FillChunkList(document, chunks, values);
    std::string out;
    for (const std::string& row : chunks.Rows()) {
        const auto [name, size] = rows::SplitRow(row);
        out += (out.empty() ? "" : " ") + std::string(name) + ":" + std::string(size);
    }
    return out;
}

// What can be known of a path without opening it for writing.
struct FileSnapshot {
    bool regular = false;
    std::string bytes;
    struct timespec modified {};
    struct timespec changed {};

    static FileSnapshot Of(const std::string& path) {
        FileSnapshot shot;
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return shot;
        shot.regular = true;
        shot.bytes = ReadBytes(path);
        shot.modified = status.st_mtim;
        shot.changed = status.st_ctim;
        return shot;
    }
    bool operator==(const FileSnapshot& other) const {
        const auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return regular == other.regular && bytes == other.bytes && same(modified, other.modified) &&
               same(changed, other.changed);
    }
};

class HostileFile : public testing::TestWithParam<HostileCase> {
protected:
    ScratchDir scratch_;
};

TEST_P(HostileFile, TellsTheUserAndChangesNothingElse) {
    const HostileCase& c = GetParam();
    const std::string path = c.makePath(scratch_);
    const FileSnapshot before = FileSnapshot::Of(path);

    WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(GoodFile(), "good.wav"), wavedoc::LoadOk);
    const std::string previousList = ChunkList(document);
    ASSERT_EQ(document.Load(path), c.status) << document.LoadError();

    if (c.status != wavedoc::LoadOk) {
        const std::string message = WithPath(c.message, path);
        EXPECT_EQ(document.LoadError(), message);
        EXPECT_EQ(ChunkList(document), previousList) << "a refused file replaced the previous one";

        const DumpRun run = RunDump({"--", path});
        EXPECT_EQ(run.exitStatus, 1);
        const std::string dumpMessage = c.dumpMessage.empty() ? message : WithPath(c.dumpMessage, path);
        EXPECT_EQ(run.errors, "ondulo-dump: " + text::TerminalText(dumpMessage) + "\n");
        EXPECT_EQ(run.out, "");
    } else {
        EXPECT_EQ(ChunkList(document), c.message);
        document.Data().SetData("");
        rows::RowList chunks;
        rows::RowList values;
        rows::FillChunkList(document, chunks, values);
        for (const std::string& row : chunks.Rows()) {
            const std::string name(rows::SplitRow(row).first);
            const std::optional<std::string> stopped = rows::ShowChunkDetails(document, name, values);
            const auto expected = c.stopsShort.find(name);
            EXPECT_EQ(stopped,
                      expected == c.stopsShort.end() ? std::nullopt : std::optional(expected->second))
                << "chunk " << name;
            for (const auto& [chunk, shownRow] : c.shownRows) {
                if (chunk != name) continue;
                EXPECT_NE(std::find(values.Rows().begin(), values.Rows().end(), shownRow),
                          values.Rows().end())
                    << "chunk " << name << " lacks the row " << shownRow;
            }
        }

        const DumpRun run = RunDump({"--", path});
        EXPECT_EQ(run.exitStatus, 0) << run.errors;
        EXPECT_EQ(run.errors, "");
        for (const auto& [chunk, sentence] : c.stopsShort) {
            EXPECT_NE(run.out.find("\n! " + text::TerminalText(sentence) + "\n"), std::string::npos)
                << run.out;
        }
    }
    EXPECT_TRUE(FileSnapshot::Of(path) == before) << "the analysed file changed";
}

std::function<std::string(const ScratchDir&)> FileOf(std::string bytes, std::string name = "hostile.wav") {
    return [bytes, name](const ScratchDir& scratch) { return scratch.File(name, bytes); };
}
std::function<std::string(const ScratchDir&)> PathOf(std::string path) {
    return [path](const ScratchDir&) { return path; };
}

const std::string kCannotRead = "The file \"%1\" cannot be read: ";
const std::string kNotWav = "The file \"%1\" is not a WAV file: ";
const std::string kBigEndian =
    "The file \"%1\" starts with \"RIFX\", not \"RIFF\": the chunk list shows RIFF files only, and View > "
    "Structure\u2026 (Ctrl+M) shows this one. It is a RIFX file, the big-endian form of RIFF.";
const std::string kNotRegular =
    kCannotRead + "it is not a regular file (it is a device, a pipe or a socket).";
const std::string kCueWith = kFmt + Chunk("cue ", CuePayload({{1, 0, std::string(4, '\0')}}));

const HostileCase kCases[] = {
    // Paths that are no file to read; none of them may block.
    {"missing_path", [](const ScratchDir& s) { return s.Path("none.wav"); }, 3,
     kCannotRead + "the file does not exist."},
    {"directory",
     [](const ScratchDir& s) { return s.Dir(); },
     3,
     kCannotRead + "it is a directory, not a file.",
     {},
     {},
     "\"%1\" is a folder: give -r to check the files in it."},
    {"fifo", [](const ScratchDir& s) { return s.Fifo("pipe.wav"); }, 3, kNotRegular},
    {"endless_device", PathOf("/dev/zero"), 3, kNotRegular},
    {"empty_device", PathOf("/dev/null"), 3, kNotRegular},
    {"name_too_long", [](const ScratchDir& s) { return s.Path(std::string(300, 'a') + ".wav"); }, 3,
     kCannotRead + "its name is too long."},
    {"symbolic_link_loop",
     [](const ScratchDir& s) {
         std::filesystem::create_symlink(s.Path("loop.wav"), s.Path("loop.wav"));
         return s.Path("loop.wav");
     },
     3, kCannotRead + "its path runs in a loop of symbolic links."},
    {"path_through_a_file",
     [](const ScratchDir& s) { return s.File("plain.wav", GoodFile()) + "/inner.wav"; }, 3,
     kCannotRead + "the file does not exist."},

    // Heads that are not RIFF WAVE.
    {"empty_file", FileOf(""), 1, kNotWav + "it is only 0 bytes long."},
    {"three_bytes", FileOf("RIF"), 1, kNotWav + "it is only 3 bytes long."},
    {"riff_tag_alone", FileOf("RIFF"), 2, kNotWav + "it ends before the RIFF form type."},
    {"big_endian_head",
     FileOf("RIFX" + U32(4) + "WAVE" + kFmt),
     1,
     kBigEndian,
     {},
     {},
     "The file \"%1\" starts with \"RIFX\", not \"RIFF\": the chunk list shows RIFF files only, but the "
     "structure map and the check read it. It is a RIFX file, the big-endian form of RIFF."},
    {"rf64_head",
     FileOf("RF64" + U32(0xFFFFFFFF) + "WAVE" + Chunk("ds64", std::string(28, '\0'))),
     1,
     "The file \"%1\" starts with \"RF64\", not \"RIFF\": the chunk list shows RIFF files only, and View > "
     "Structure\u2026 (Ctrl+M) shows this one. It is an RF64 file, the 64-bit form of WAV for recordings "
     "over "
     "4 GB.",
     {},
     {},
     "The file \"%1\" starts with \"RF64\", not \"RIFF\": the chunk list shows RIFF files only, but the "
     "structure map and the check read it. It is an RF64 file, the 64-bit form of WAV for recordings over 4 "
     "GB."},
    {"ogg_head", FileOf("OggS" + std::string(40, '\0')), 1,
     kNotWav + "it does not start with \"RIFF\". It is an Ogg file, such as Ogg Vorbis or Opus audio."},
    {"random_head", FileOf("\x01\x02\x03\x04" + std::string(40, '\0')), 1,
     kNotWav + "it does not start with \"RIFF\"."},
    {"other_form_type", FileOf(RiffFile(kFmt, "AVI ")), 2, kNotWav + "its RIFF form type is not \"WAVE\"."},

    // Sizes that do not fit the file.
    {"chunk_past_the_end", FileOf(RiffFile(kFmt + Chunk("data", "abcd", 1000))), 0,
     "RIFF:40 fmt :16 data:1000"},
    {"fields_past_the_end",
     FileOf(RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 8)).substr(0, 16))),
     0,
     "RIFF:20 fmt :16",
     {{"fmt ",
       "The fmt chunk could not be shown in full: the fmt chunk ends before its field nAvgBytesPerSec."}}},
    {"all_ones_sizes", FileOf(RiffFile(kFmt + Chunk("data", "abcd", 0xFFFFFFFF), "WAVE", 0xFFFFFFFF)), 0,
     "RIFF:-1 fmt :16 data:-1"},
    {"odd_size_with_pad",
     FileOf(RiffFile(kFmt + Chunk("fact", "abc") + kData)),
     0,
     "RIFF:52 fmt :16 fact:3 data:4",
     {{"fact",
       "The fact chunk could not be shown in full: the fact chunk ends before its field dwSampleLength."}}},
    {"odd_size_without_pad",
     FileOf(RiffFile(kFmt + Chunk("fact", "abc", std::nullopt, false) + kData)),
     0,
     "RIFF:51 fmt :16 fact:3 data:4",
     {{"fact",
       "The fact chunk could not be shown in full: the fact chunk ends before its field dwSampleLength."}}},

    // Many chunks and entries.
    {"thousands_of_tiny_chunks", FileOf(RiffFile(Repeated(Chunk("JUNK", ""), 20000) + kFmt + kData)), 0,
     "RIFF:160040 fmt :16 data:4"},
    {"thousands_of_cue_chunks",
     FileOf(RiffFile(kFmt + Repeated(Chunk("cue ", CuePayload({})), 5000) + kData)), 0,
     "RIFF:60040 fmt :16 cue :4 data:4"},
    {"more_labels_than_listed",
     FileOf(RiffFile(kFmt + ManyLabels(40000))),
     0,
     "RIFF:480040 fmt :16 LIST:480004",
     {{"LIST",
       "The LIST chunk could not be shown in full: it has 40000 labels, and at most 32767 can be listed."}}},
    {"label_past_its_list",
     FileOf(RiffFile(kFmt + LabelRunningPastItsList())),
     0,
     "RIFF:72 fmt :16 LIST:21 data:6",
     {},
     {{"LIST", "     Subchunk Data Size\t100"}, {"LIST", "     Label text\tIntro"}}},

    // Counts with no records behind them.
    {"cue_count_with_no_records",
     FileOf(RiffFile(kFmt + Chunk("cue ", CuePayload({}, 0x7FFFFFFF)))),
     0,
     "RIFF:40 fmt :16 cue :4",
     {{"cue ",
       "The cue chunk could not be shown in full: it has 2147483647 cue points, and at most 32767 can be "
       "listed."}}},
    {"loop_count_with_no_records",
     FileOf(RiffFile(kFmt + Chunk("smpl", SmplPayload({}, {}, {}, 0x7FFFFFFF)))),
     0,
     "RIFF:72 fmt :16 smpl:36",
     {{"smpl",
       "The smpl chunk could not be shown in full: it has 2147483647 sample loops, and at most 32767 can "
       "be listed."}}},
    {"segment_count_with_no_records",
     FileOf(RiffFile(kFmt + Chunk("plst", PlstPayload({}, 0x7FFFFFFF)))),
     0,
     "RIFF:40 fmt :16 plst:4",
     {{"plst",
       "The plst chunk could not be shown in full: it has 2147483647 segments, and at most 32767 can be "
       "listed."}}},
    {"cue_count_in_range_no_records",
     FileOf(RiffFile(kFmt + Chunk("cue ", CuePayload({}, 3)))),
     0,
     "RIFF:40 fmt :16 cue :4",
     {{"cue ",
       "The cue chunk could not be shown in full: the cue chunk holds 0 cue points, so cue point 1 is not in "
       "the "
       "file."}}},

    // Texts and ids.
    {"label_without_terminating_zero",
     FileOf(RiffFile(kFmt + LabelWithoutZero())),
     0,
     "RIFF:72 fmt :16 LIST:36",
     {},
     {{"LIST", "     Label text\tIntro"}, {"LIST", "     Note text\tn"}}},
    {"chunk_id_with_zero_bytes", FileOf(RiffFile(kFmt + Chunk(std::string("da\0a", 4), "ab") + kData)), 0,
     "RIFF:50 fmt :16"},
    {"cue_point_id_of_zero_bytes",
     FileOf(RiffFile(kCueWith)),
     0,
     "RIFF:64 fmt :16 cue :28",
     {},
     {{"cue ", "     Data chunk ID\t" + std::string(4, '\0')}}},

    // Names that are easy to get wrong.
    {"spaces_at_both_ends", FileOf(RiffFile(kFmt + kData), "  spaced.wav  "), 0, "RIFF:40 fmt :16 data:4"},
    {"spaces_not_in_the_name",
     [](const ScratchDir&
            s) { return s.File("spaced.wav", GoodFile()).insert(s.Dir().size() + 1, "  ") + "  "; },
     3, kCannotRead + "the file does not exist."},
    {"non_ascii_name", FileOf(RiffFile(kFmt + kData), "Caf\xC3\xA9 \xE2\x99\xAA.wav"), 0,
     "RIFF:40 fmt :16 data:4"},
    {"non_utf8_name", FileOf(RiffFile(kFmt + kData), "caf\xE9.wav"), 0, "RIFF:40 fmt :16 data:4"},
    {"non_utf8_name_refused",
     FileOf("RIFX", "caf\xE9.wav"),
     1,
     kBigEndian,
     {},
     {},
     "The file \"%1\" is not a WAV file: it ends before the RIFF form type."},
};

INSTANTIATE_TEST_SUITE_P(BadInput, HostileFile, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HostileCase>& param) { return param.param.what; });

// The file is opened for reading only, and only while it is read: the
// descriptors the process holds on it say so.
TEST(AnalysedFile, IsOpenedReadOnlyAndOnlyWhileRead) {
    ScratchDir scratch;
    const std::string path = scratch.File("audio.wav", GoodFile());
    WaveDocument document;
    ASSERT_EQ(document.Load(path), wavedoc::LoadOk);
    const auto readOnlyDescriptors = [&] {
        const std::vector<int> found = DescriptorsOpenOn(path);
        for (const int descriptor : found) EXPECT_EQ(::fcntl(descriptor, F_GETFL) & O_ACCMODE, O_RDONLY);
        return found.size();
    };
    EXPECT_EQ(readOnlyDescriptors(), 0u);
    {
        const wavedoc::ReadingSession session(document.Source());
        (void)document.Source()->Read(0, 4);
        EXPECT_EQ(readOnlyDescriptors(), 1u);
    }
    EXPECT_EQ(readOnlyDescriptors(), 0u);
}

}  // namespace
}  // namespace hostile
