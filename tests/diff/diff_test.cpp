// The structure diff: a table of pairs built here, each a file and an edit of
// it, with what the diff must say of them; the same answer both ways round
// (added and dropped swapped) on pairs of the fuzz and hostile corpora; and
// ondulo-dump --diff's output and exit statuses.
#include "diff/diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "hostile/hostile_files.h"
#include "support/corpus.h"
#include "support/run_dump.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"

namespace {

using namespace wavtest;

const std::string kAudio = PatternAudio(1000);
const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));
std::string Info(const std::string& name) {
    return Chunk("LIST",
                 ListPayload("INFO", Chunk("INAM", name + '\0') + Chunk("ISFT", std::string("Ondulo\0", 7))));
}
std::string Cue(const std::vector<std::uint32_t>& ids) {
    std::vector<CuePointRecord> points;
    for (const std::uint32_t id : ids) points.push_back({id, id * 100, "data", 0, 0, id * 100});
    return Chunk("cue ", CuePayload(points));
}
std::string Smpl(std::uint32_t loopEnd) {
    return Chunk("smpl", SmplPayload({}, {{1, 0, 100, loopEnd}, {2, 0, 300, 400}}));
}
std::string Labels(const std::vector<std::pair<std::uint32_t, std::string>>& labels) {
    std::string items;
    for (const auto& [id, text] : labels) items += Chunk("labl", LabelPayload(id, text));
    return Chunk("LIST", ListPayload("adtl", items));
}
const std::string kBase =
    RiffFile(kFmt + Chunk("data", kAudio) + Info("Take 1") + Cue({1, 2, 3}) + Smpl(200));

// The same file in RF64: ds64, then the same chunks with the data size in ds64.
std::string Rf64(const std::string& riff) {
    const std::string ds64 =
        Chunk("ds64", U64(riff.size() - 8 + 36) + U64(kAudio.size()) + U64(1000) + U32(0));
    const std::string rest = riff.substr(12 + kFmt.size());
    const std::string data = "data" + U32(0xFFFFFFFF) + rest.substr(8);
    return "RF64" + U32(0xFFFFFFFF) + "WAVE" + ds64 + kFmt + data;
}

// The same file in RIFX: every number and every 16-bit sample most significant byte first.
std::string Rifx() {
    std::string swapped = kAudio;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return RifxFile(BigChunk("fmt ", BigPcmFormat(2, 44100, 16)) + BigChunk("data", swapped));
}

std::string Verdict(diff::AudioVerdict verdict) {
    switch (verdict) {
        case diff::AudioVerdict::Identical:
            return "identical";
        case diff::AudioVerdict::NoAudio:
            return "none";
        case diff::AudioVerdict::Differs:
            return "differs";
        case diff::AudioVerdict::LengthDiffers:
            return "length";
        case diff::AudioVerdict::OtherFormat:
            return "other-format";
        case diff::AudioVerdict::Unlike:
            return "unlike";
    }
    return {};
}

std::string RowsDigest(const std::vector<diff::RowChange>& rows) {
    std::string digest;
    for (const diff::RowChange& row : rows) {
        digest += " {" + row.label + ": " + row.a.value_or("-") + " > " + row.b.value_or("-") + "}";
    }
    return digest;
}

// What a diff says, in one line: each entry that is not the same with its
// mark and its rows and records that differ, the findings that come and go,
// the form and the audio.
std::string Digest(const diff::Diff& diff) {
    if (diff.Trouble()) return "trouble";
    std::string digest;
    for (const diff::EntryDiff& entry : diff.entries) {
        if (entry.Same()) continue;
        digest +=
            entry.path + " " + std::string(entry.Mark()) + (entry.moved && entry.Changed() ? "+moved" : "");
        if (entry.Resized()) digest += " size";
        digest += RowsDigest(entry.rows);
        for (const diff::RecordChange& record : entry.records) {
            digest += std::string(" [") +
                      (record.presence == diff::Presence::OnlyA   ? "-"
                       : record.presence == diff::Presence::OnlyB ? "+"
                                                                  : "~") +
                      record.name + RowsDigest(record.rows) + "]";
        }
        digest += "; ";
    }
    for (const diff::FindingChange& change : diff.findings) {
        digest += (change.appeared ? "+" : "-") + change.finding.code + "; ";
    }
    if (diff.formA != diff.formB) {
        digest += "form " + diff.formA + ">" + diff.formB + (diff.FormAndSizesOnly() ? " only; " : "; ");
    }
    digest += "audio " + Verdict(diff.audio.verdict);
    if (diff.audio.firstFrame) digest += " " + std::to_string(*diff.audio.firstFrame);
    if (diff.audio.acrossByteOrders) digest += " swapped";
    return digest;
}

struct BuiltPair {
    const char* name;
    std::string a;
    std::string b;
    std::string digest;
};

std::string WithAudio(std::string audio) {
    return RiffFile(kFmt + Chunk("data", audio) + Info("Take 1") + Cue({1, 2, 3}) + Smpl(200));
}

std::string OneFrameChanged() {
    std::string audio = kAudio;
    audio[500 * 4 + 3] = static_cast<char>(audio[500 * 4 + 3] ^ 1);
    return WithAudio(audio);
}

const std::vector<BuiltPair>& Pairs() {
    const std::string moved =
        RiffFile(kFmt + Smpl(200) + Chunk("data", kAudio) + Info("Take 1") + Cue({1, 2, 3}));
    static const std::vector<BuiltPair> pairs = {
        {"an INFO text edited", kBase,
         RiffFile(kFmt + Chunk("data", kAudio) + Info("Take 2") + Cue({1, 2, 3}) + Smpl(200)),
         "LIST INFO changed {Title (INAM): Take 1 > Take 2}; LIST INFO/INAM changed; audio identical"},
        {"a chunk added", kBase,
         kBase.substr(0, 4) + U32(static_cast<std::uint32_t>(kBase.size() - 8 + 12)) + kBase.substr(8) +
             Chunk("abcd", "xyz"),
         "abcd added; audio identical"},
        {"a chunk moved", kBase, moved, "smpl moved; audio identical"},
        {"a cue point removed", kBase,
         RiffFile(kFmt + Chunk("data", kAudio) + Info("Take 1") + Cue({1, 3}) + Smpl(200)),
         "cue  changed size {Number of cue points: 3 > 2} [-Cue Point (ID 2)]; +loop-cue-id; audio "
         "identical"},
        {"a loop changed", kBase,
         RiffFile(kFmt + Chunk("data", kAudio) + Info("Take 1") + Cue({1, 2, 3}) + Smpl(250)),
         "smpl changed [~Loops (Cue point ID 1) {End: 200 > 250}]; audio identical"},
        {"the audio changed in one frame", kBase, OneFrameChanged(), "audio differs 500"},
        {"the audio cut", kBase, WithAudio(kAudio.substr(0, 2400)), "data changed size; audio length"},
        {"the same audio in RF64", kBase, Rf64(kBase), "ds64 added; form RIFF>RF64 only; audio identical"},
        {"a file against itself", kBase, kBase, "audio identical"},
        {"the same samples in RIFX", RiffFile(kFmt + Chunk("data", kAudio)), Rifx(),
         "form RIFF>RIFX only; audio identical swapped"},
        {"the same length in another sample format", RiffFile(kFmt + Chunk("data", kAudio)),
         RiffFile(Chunk("fmt ", PcmFormat(2, 44100, 8)) + Chunk("data", kAudio.substr(0, 2000))),
         "fmt  changed {Bytes per second: 176400 > 88200} {Bytes per sample: 4 > 2} {Bits per sample: 16 > "
         "8}; "
         "data changed size; audio other-format"},
        {"bytes past what the rows show changed",
         RiffFile(kFmt + Chunk("data", kAudio) + Chunk("abcd", std::string(300, 'x'))),
         RiffFile(kFmt + Chunk("data", kAudio) + Chunk("abcd", std::string(299, 'x') + "y")),
         "abcd changed; audio identical"},
        {"frames added at the end", kBase, WithAudio(kAudio + kAudio.substr(0, 400)),
         "data changed size; audio length"},
        {"labels matched by their cue point",
         RiffFile(kFmt + Chunk("data", kAudio) + Labels({{1, "one"}, {2, "two"}})),
         RiffFile(kFmt + Chunk("data", kAudio) + Labels({{2, "two"}, {1, "uno"}})),
         "LIST adtl changed [~labl (label) (Cue point ID 1) {Label text: one > uno}]; LIST adtl/labl "
         "changed; "
         "LIST adtl/labl changed; audio identical"},
        {"not a WAV file", kBase, "not a wave file at all", "trouble"},
    };
    return pairs;
}

class BuiltPairs : public testing::TestWithParam<BuiltPair> {};

TEST_P(BuiltPairs, SayWhatChanged) {
    const ScratchDir scratch;
    const BuiltPair& pair = GetParam();
    const diff::Diff diff = diff::CompareFiles(scratch.File("a.wav", pair.a), scratch.File("b.wav", pair.b));
    EXPECT_EQ(Digest(diff), pair.digest);
    EXPECT_EQ(diff.Same(), std::string(pair.name) == "a file against itself");
}

INSTANTIATE_TEST_SUITE_P(Diff, BuiltPairs, testing::ValuesIn(Pairs()), [](const auto& described) {
    std::string name = described.param.name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

// A changed value carries where it lies in each file.
TEST(Diff, ChangedRowsCarryBothRanges) {
    const ScratchDir scratch;
    const std::string b = RiffFile(Chunk("JUNK", std::string(10, '\0')) + kFmt + Chunk("data", kAudio) +
                                   Info("Take 2") + Cue({1, 2, 3}) + Smpl(200));
    const diff::Diff diff = diff::CompareFiles(scratch.File("a.wav", kBase), scratch.File("b.wav", b));
    const auto info = std::find_if(diff.entries.begin(), diff.entries.end(),
                                   [](const diff::EntryDiff& entry) { return entry.path == "LIST INFO"; });
    ASSERT_NE(info, diff.entries.end());
    ASSERT_EQ(info->rows.size(), 1U);
    const diff::RowChange& row = info->rows.front();
    ASSERT_TRUE(row.atA && row.atB);
    EXPECT_EQ(kBase.substr(row.atA->offset, row.atA->length), std::string("Take 1\0", 7));
    EXPECT_EQ(b.substr(row.atB->offset, row.atB->length), std::string("Take 2\0", 7));
    EXPECT_EQ(row.atB->offset, row.atA->offset + 18);
}

// A digest that does not depend on the order of A's entries: each entry's
// mark and how many rows and records differ, sorted, and the audio's
// verdict; `mirrored` tells it as the diff of B against A would.
std::string Symmetric(const diff::Diff& diff, bool mirrored) {
    if (diff.Trouble()) return "trouble";
    const auto mark = [mirrored](const diff::EntryDiff& entry) {
        const std::string own(entry.Mark());
        if (!mirrored || entry.presence == diff::Presence::Both) return own;
        return std::string(entry.presence == diff::Presence::OnlyA ? "added" : "dropped");
    };
    std::vector<std::string> parts;
    for (const diff::EntryDiff& entry : diff.entries) {
        if (entry.Same()) continue;
        std::size_t onlyA = 0;
        std::size_t onlyB = 0;
        for (const diff::RecordChange& record : entry.records) {
            onlyA += record.presence == diff::Presence::OnlyA;
            onlyB += record.presence == diff::Presence::OnlyB;
        }
        if (mirrored) std::swap(onlyA, onlyB);
        parts.push_back(entry.path + " " + mark(entry) + " rows " + std::to_string(entry.rows.size()) +
                        " records -" + std::to_string(onlyA) + " +" + std::to_string(onlyB));
    }
    std::size_t appeared = 0;
    for (const diff::FindingChange& change : diff.findings) appeared += change.appeared;
    std::size_t gone = diff.findings.size() - appeared;
    if (mirrored) std::swap(appeared, gone);
    parts.push_back("findings +" + std::to_string(appeared) + " -" + std::to_string(gone));
    std::sort(parts.begin(), parts.end());
    std::string digest;
    for (const std::string& part : parts) digest += part + "; ";
    return digest + "audio " + Verdict(diff.audio.verdict) +
           (diff.audio.firstFrame ? " " + std::to_string(*diff.audio.firstFrame) : "");
}

// Files of the fuzz corpus (a few hundred, taken in name order, bounded so the
// suite stays quick), the hostile files and the real ones of tests/data.
std::vector<std::string> CorpusFiles(const ScratchDir& scratch) {
    std::vector<std::string> files;
    for (const char* folder : {"corpus", "corpus-structure", "corpus-models"}) {
        const std::filesystem::path path = std::filesystem::path(ONDULO_FUZZ_DIR) / folder;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        if (names.size() > 60) names.resize(60);
        files.insert(files.end(), names.begin(), names.end());
    }
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir())) {
        if (entry.path().extension() == ".wav") files.push_back(entry.path().string());
    }
    files.push_back(scratch.File("labels.wav", hostile::ManyLabels(300)));
    files.push_back(scratch.File("past.wav", hostile::LabelRunningPastItsList()));
    files.push_back(scratch.File("nozero.wav", hostile::LabelWithoutZero()));
    files.push_back(scratch.File("base.wav", kBase));
    return files;
}

TEST(Diff, GivesTheSameAnswerBothWaysRound) {
    const ScratchDir scratch;
    const std::vector<std::string> files = CorpusFiles(scratch);
    ASSERT_GT(files.size(), 20U);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& a = files[i];
        const std::string& b = files[(i * 7 + 1) % files.size()];
        EXPECT_EQ(Symmetric(diff::CompareFiles(a, b), true), Symmetric(diff::CompareFiles(b, a), false))
            << a << " against " << b;
        const diff::Diff itself = diff::CompareFiles(a, a);
        EXPECT_TRUE(itself.Trouble() || itself.Same()) << a;
    }
}

struct DumpCase {
    const char* what;
    std::vector<std::string> arguments;  // "A" and "B" stand for the two files, "M" for one that is missing
    std::string b;                       // B's bytes
    int status;
    std::string inOut;  // a line standard output holds
};

class DumpDiff : public testing::TestWithParam<DumpCase> {};

TEST_P(DumpDiff, ExitsAsDiffDoes) {
    const ScratchDir scratch;
    const std::string a = scratch.File("a.wav", kBase);
    const std::string b = scratch.File("b.wav", GetParam().b);
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(argument == "A"   ? a
                            : argument == "B" ? b
                            : argument == "M" ? scratch.Path("m.wav")
                                              : argument);
    }
    const DumpRun run = RunDump(arguments);
    EXPECT_EQ(run.exitStatus, GetParam().status) << run.errors;
    EXPECT_NE(run.out.find(GetParam().inOut), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Diff, DumpDiff,
    testing::Values(
        DumpCase{"same", {"--diff", "A", "B"}, kBase, 0, ""},
        DumpCase{"edited", {"--diff", "A", "B"}, OneFrameChanged(), 1, "audio: differs from frame 500 ("},
        DumpCase{"json",
                 {"--json", "--diff", "A", "B"},
                 Rf64(kBase),
                 1,
                 "\"form\": {\"a\": \"RIFF\", \"b\": \"RF64\", \"form_and_sizes_only\": true}"},
        DumpCase{"text form",
                 {"--diff", "A", "B"},
                 Rf64(kBase),
                 1,
                 "form: RIFF -> RF64; the files differ in form and sizes, not in content\n"},
        DumpCase{"missing", {"--diff", "A", "M"}, kBase, 2, ""},
        DumpCase{"one file", {"--diff", "A"}, kBase, 2, ""},
        DumpCase{"with --check", {"--diff", "--check", "A", "B"}, kBase, 2, ""}),
    [](const auto& described) {
        std::string name = described.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// Two folders: files of the same path compared, a line each, then the summary.
TEST(DumpDiff, ComparesTwoFolders) {
    const ScratchDir scratch;
    for (const char* side : {"a", "b"}) std::filesystem::create_directories(scratch.Path(side) + "/sub");
    scratch.File("a/same.wav", kBase);
    scratch.File("b/same.wav", kBase);
    scratch.File("a/sub/edited.wav", kBase);
    scratch.File("b/sub/edited.wav", OneFrameChanged());
    scratch.File("a/gone.wav", kBase);
    scratch.File("b/sub.wav", kBase);
    const DumpRun run = RunDump({"--diff", "-r", "--jsonl", scratch.Path("a"), scratch.Path("b")});
    EXPECT_EQ(run.exitStatus, 1) << run.errors;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < run.out.size();) {
        const std::size_t end = run.out.find('\n', at);
        lines.push_back(run.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 5U) << run.out;
    EXPECT_NE(lines[0].find("\"only_in\": \"a\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\"same\": true"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"first_frame\": 500"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("\"only_in\": \"b\""), std::string::npos) << lines[3];
    EXPECT_EQ(
        lines[4],
        "{\"summary\": {\"files\": 4, \"same\": 1, \"different\": 1, \"only_in_a\": 1, \"only_in_b\": 1, "
        "\"trouble\": 0}}");
}

}  // namespace
