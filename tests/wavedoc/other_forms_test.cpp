// The other forms of WAV: read by the map and the check when asked, refused
// by the chunk list. The 64-bit forms take sizes of 0xFFFFFFFF from ds64;
// RIFX stores every number most significant byte first.
#include <gtest/gtest.h>

#include <string>

#include "support/wav_builder.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"

namespace {

using namespace wavtest;

const std::string kFmt = Chunk("fmt ", PcmFormat(1, 8000, 16));

struct Sizes {
    std::uint64_t riff;
    std::uint64_t data;
    std::string table;  // entries of 12 bytes
    std::uint32_t tableLength;
};

// "RF64", a RIFF size field of 0xFFFFFFFF, ds64, fmt, then `rest`.
std::string Rf64File(const std::string& form, const Sizes& sizes, const std::string& rest) {
    const std::string ds64 = Chunk("ds64", U64(sizes.riff) + U64(sizes.data) + U64(sizes.data / 2) +
                                               U32(sizes.tableLength) + sizes.table);
    return form + U32(0xFFFFFFFF) + "WAVE" + ds64 + kFmt + rest;
}

// A data chunk of `bytes` bytes whose size field says 0xFFFFFFFF.
std::string BigData(std::size_t bytes) { return "data" + U32(0xFFFFFFFF) + std::string(bytes, '\0'); }

struct MapCase {
    std::string what;
    std::string file;
    std::string lastId;              // the last top-level chunk the walk finds
    std::uint64_t dataDeclared;      // the data chunk's size as ds64 gives it
    std::vector<std::string> codes;  // the findings expected
};

std::vector<std::string> Codes(const wavecheck::Findings& findings) {
    std::vector<std::string> codes;
    for (const wavecheck::Finding& f : findings.shown) codes.push_back(f.code);
    return codes;
}

TEST(Rf64, SizesOfFFFFFFFFComeFromDs64) {
    // ds64 (8 + 28), fmt (8 + 16), data header (8): the audio starts at 80.
    const std::string junk = Chunk("JUNK", "abcd");
    const std::string bigJunk = "JUNK" + U32(0xFFFFFFFF) + "abcdef";
    const std::vector<MapCase> cases = {
        {"data then another chunk",
         Rf64File("RF64", {80 + 8 + 12 - 8, 8, "", 0}, BigData(8) + junk),
         "JUNK",
         8,
         {}},
        {"BW64 reads the same",
         Rf64File("BW64", {80 + 8 + 12 - 8, 8, "", 0}, BigData(8) + junk),
         "JUNK",
         8,
         {}},
        {"a table entry sizes another chunk",
         Rf64File("RF64", {80 + 12 + 8 + 14 - 8, 8, "JUNK" + U64(6), 1}, BigData(8) + bigJunk),
         "JUNK",
         8,
         {}},
        {"ds64's data size runs past the end",
         Rf64File("RF64", {80 + 8 - 8, 4000, "", 0}, BigData(8)),
         "data",
         4000,
         {"past-end"}},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.what);
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.LoadFromMemory(c.file, "big.wav", &check, wavedoc::LoadForms::AnyForm),
                  wavedoc::LoadOk);
        EXPECT_NE(document.Form(), wavedoc::FileForm::Riff);
        ASSERT_TRUE(document.Ds64());
        const std::vector<wavedoc::MapEntry>& map = document.Structure().entries;
        ASSERT_FALSE(map.empty());
        EXPECT_EQ(map.back().id, c.lastId);
        const auto data = std::find_if(map.begin(), map.end(), [](const auto& e) { return e.id == "data"; });
        ASSERT_NE(data, map.end());
        EXPECT_EQ(data->size, 0xFFFFFFFFu);
        EXPECT_EQ(data->DeclaredSize(), c.dataDeclared);
        EXPECT_EQ(data->present, 8u);
        EXPECT_EQ(Codes(check.Finish(document)), c.codes);
        EXPECT_FALSE(document.FormRefusal().empty());
    }
}

// The chunk list reads RIFF alone, and its answer for a 64-bit file stays
// what it was; a failed load keeps the previous file.
TEST(Rf64, TheChunkListRefusesItAsBefore) {
    const std::string file = Rf64File("RF64", {80, 8, "", 0}, BigData(8));
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(RiffFile(kFmt + Chunk("data", "ab")), "small.wav"), wavedoc::LoadOk);
    EXPECT_EQ(document.LoadFromMemory(file, "big.wav"), wavedoc::LoadNotRiff);
    EXPECT_NE(document.LoadError().find("starts with \"RF64\""), std::string::npos);
    EXPECT_EQ(document.Form(), wavedoc::FileForm::Riff);
    EXPECT_EQ(document.Data().Size(), 2);
}

// A ds64 chunk whose table length is huge costs what its chunk holds.
TEST(Rf64, ATableLengthReadsNoMoreThanTheChunkHolds) {
    const std::string file = Rf64File("RF64", {80, 8, "JUNK" + U64(6), 0xFFFFFFFF}, BigData(8));
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.LoadFromMemory(file, "big.wav", nullptr, wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    ASSERT_TRUE(document.Ds64());
    EXPECT_EQ(document.Ds64()->tableLength, 0xFFFFFFFFu);
    EXPECT_EQ(document.Ds64()->table.size(), 1u);
}

// Big-endian numbers, as RIFX stores them.
std::string B32(std::uint32_t v) {
    std::string bytes = U32(v);
    return {bytes.rbegin(), bytes.rend()};
}
std::string B16(std::uint16_t v) {
    std::string bytes = U16(v);
    return {bytes.rbegin(), bytes.rend()};
}
std::string BigChunk(const std::string& id, const std::string& payload) {
    return id + B32(static_cast<std::uint32_t>(payload.size())) + payload + (payload.size() % 2 ? "\0" : "");
}

// Every field of a RIFX file reads as it would in RIFF: the sizes the walk
// follows, the fields of the chunk heads, records and list entries.
TEST(Rifx, ReadsEveryNumberMostSignificantByteFirst) {
    const std::string fmt = BigChunk("fmt ", B16(1) + B16(2) + B32(44100) + B32(176400) + B16(4) + B16(16));
    const std::string cue = BigChunk("cue ", B32(1) + B32(7) + B32(0) + "data" + B32(0) + B32(0) + B32(3));
    const std::string adtl = BigChunk("LIST", "adtl" + BigChunk("labl", B32(7) + std::string("Verse\0", 6)));
    const std::string data = BigChunk("data", std::string(16, '\0'));
    const std::string body = "WAVE" + fmt + cue + adtl + data;
    const std::string file = "RIFX" + B32(static_cast<std::uint32_t>(body.size())) + body;

    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;
    ASSERT_EQ(document.LoadFromMemory(file, "big-endian.wav", &check, wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    EXPECT_EQ(document.Form(), wavedoc::FileForm::Rifx);
    EXPECT_EQ(document.RiffHeader().Size(), static_cast<std::int32_t>(body.size()));
    EXPECT_EQ(document.Fmt().ChannelCount(), 2);
    EXPECT_EQ(document.Fmt().SampleRate(), 44100);
    EXPECT_EQ(document.Fmt().BytesPerSample(), 4);
    EXPECT_EQ(document.Cue().CuePoints().Item(1).Id(), 7);
    EXPECT_EQ(document.Cue().CuePoints().Item(1).SampleOffset(), 3);
    EXPECT_EQ(document.List().Labels().Item(1).CuePointId(), 7);
    EXPECT_EQ(document.List().Labels().Item(1).Text(), "Verse");
    EXPECT_EQ(document.Data().Size(), 16);
    EXPECT_EQ(Codes(check.Finish(document)), std::vector<std::string>{});
    EXPECT_NE(document.FormRefusal().find("RIFX"), std::string::npos);
}

}  // namespace
