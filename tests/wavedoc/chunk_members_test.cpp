#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "document_helpers.h"

using namespace wavtest;
using wavedoc::WaveDocument;

namespace {

// 16-bit fields keep their unsigned value, 32-bit fields their bits.
const std::string kOddFormat = U16(0xFFFF) + U16(0x8001) + U32(0xFFFFFFFF) + U32(0x80000000) + U16(0xFFFE) +
                               U16(24) + U16(22) + std::string(22, 'x');

TEST(FactSlntSmplInst, HoldTheStoredValues) {
    WaveDocument document;
    LoadOrFail(document,
               RiffFile(FmtAndData() + Chunk("fact", U32(0xFFFFFFFF)) + Chunk("slnt", U32(4410)) +
                        Chunk("smpl", SmplPayload({1, 2, 22675, 0xFFFFFFFF, 0x80000000, 25, 0x01020304},
                                                  {{7, 1, 10, 0xFFFFFFFF, 5, 3}}, "xyz")) +
                        Chunk("inst", InstPayload(200, -128, 127, 0, 255, 1, 2))));
    EXPECT_EQ(document.Fact().SampleCount(), -1);
    EXPECT_EQ(document.Slnt().SilentSampleCount(), 4410);
    const auto& smpl = document.Smpl();
    EXPECT_EQ(std::make_tuple(smpl.Manufacturer(), smpl.Product(), smpl.SamplePeriod(), smpl.MidiUnityNote(),
                              smpl.MidiPitchFraction(), smpl.SmpteFormat(), smpl.SmpteOffset(),
                              smpl.SampleLoopCount(), smpl.SamplerData()),
              std::make_tuple(1, 2, 22675, -1, INT32_MIN, 25, 0x01020304, 1, 3));
    const auto& loop = smpl.SampleLoops().Item(1);
    EXPECT_EQ(std::make_tuple(loop.CuePointId(), loop.Type(), loop.Start(), loop.End(), loop.Fraction(),
                              loop.PlayCount()),
              std::make_tuple(7, 1, 10, -1, 5, 3));
    // Bytes are unsigned except fine tune and gain.
    const auto& inst = document.Inst();
    EXPECT_EQ((std::vector<int>{inst.UnshiftedNote(), inst.FineTune(), inst.Gain(), inst.LowNote(),
                                inst.HighNote(), inst.LowVelocity(), inst.HighVelocity()}),
              (std::vector<int>{200, -128, 127, 0, 255, 1, 2}));
}

TEST(FmtChunk, SixteenBitFieldsAreUnsigned) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(Chunk("fmt ", kOddFormat)));
    const auto& fmt = document.Fmt();
    EXPECT_EQ(fmt.CompressionCode(), 65535);
    EXPECT_EQ(fmt.ChannelCount(), 0x8001);
    EXPECT_EQ(fmt.SampleRate(), -1);
    EXPECT_EQ(fmt.BytesPerSecond(), INT32_MIN);
    EXPECT_EQ(fmt.BytesPerSample(), 0xFFFE);
    EXPECT_EQ(fmt.ExtraFormatByteCount(), 22);
    EXPECT_EQ(fmt.Name(), "fmt ");
    EXPECT_EQ(fmt.Size(), 40);
}

struct CompressionCase {
    std::string format;
    std::string expected;
};

class CompressionNames : public testing::TestWithParam<CompressionCase> {};

TEST_P(CompressionNames, NameTheFormatTag) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(Chunk("fmt ", GetParam().format)));
    EXPECT_EQ(document.Fmt().CompressionName(), GetParam().expected);
}

std::string Format(std::uint16_t tag) { return U16(tag) + PcmFormat(1, 8000, 8).substr(2); }
// An extensible format whose sub-format GUID starts with the given tag; the
// GUID is cut short by `missing` bytes.
const std::string kTagGuidTail("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
std::string Extensible(std::uint16_t subTag, std::string tail = kTagGuidTail, std::size_t missing = 0) {
    std::string guid = U16(subTag) + U16(0) + tail;
    guid.resize(guid.size() - missing);
    return Format(0xFFFE) + U16(22) + U16(16) + U32(3) + guid;
}

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, CompressionNames,
    testing::Values(CompressionCase{Format(1), "PCM"}, CompressionCase{Format(2), "ADPCM (Microsoft)"},
                    CompressionCase{Format(3), "IEEE float"}, CompressionCase{Format(6), "A-law"},
                    CompressionCase{Format(7), "\xC2\xB5-law"}, CompressionCase{Format(0x11), "IMA ADPCM"},
                    CompressionCase{Format(0x31), "GSM 6.10"}, CompressionCase{Format(0x50), "MPEG"},
                    CompressionCase{Format(0x55), "MPEG Layer 3"}, CompressionCase{Format(0), "Unknown"},
                    CompressionCase{Format(0x1234), "Unknown"}, CompressionCase{Format(0xFFFE), "Extensible"},
                    CompressionCase{Extensible(1), "Extensible (PCM)"},
                    CompressionCase{Extensible(3), "Extensible (IEEE float)"},
                    CompressionCase{Extensible(0x1234), "Extensible"},
                    CompressionCase{Extensible(1, std::string(12, '\x01')), "Extensible"},
                    CompressionCase{Extensible(1, kTagGuidTail, 1), "Extensible"}));

// Only what the view shows is read: the form type, the pad byte; never audio.
TEST(GenericChunks, HoldTheFormTypeAndThePadByte) {
    WaveDocument document;
    LoadOrFail(document,
               RiffFile(Chunk("PAD ", "pad") + FmtAndData() + Chunk("wavl", "wl"), "WAVE", 0xFFFFFFFF));
    EXPECT_EQ(document.RiffHeader().Name(), "RIFF");
    EXPECT_EQ(document.RiffHeader().Size(), -1);
    EXPECT_EQ(document.RiffHeader().Data(), "WAVE");
    EXPECT_EQ(document.Pad().Data(), "p");
    EXPECT_EQ(document.Wavl().Data(), "");
    EXPECT_EQ(document.Data().Data(), "");
    EXPECT_EQ(document.Data().Size(), 4);
}

TEST(CueAndPlst, ExposeTheirRecords) {
    WaveDocument document;
    LoadOrFail(document,
               RiffFile(FmtAndData() +
                        Chunk("cue ", CuePayload({{1, 10, "data", 2, 3, 4}, {0xFFFFFFFF, 20, "slnt"}})) +
                        Chunk("plst", PlstPayload({{1, 100, 2}, {7, 0x80000000, 0}}))));
    const auto& cue = document.Cue();
    ASSERT_EQ(cue.CuePointCount(), 2);
    const auto& first = cue.CuePoints().Item(1);
    EXPECT_EQ(std::make_tuple(first.Id(), first.Position(), first.DataChunkId(), first.ChunkStart(),
                              first.BlockStart(), first.SampleOffset()),
              std::make_tuple(1, 10, std::string("data"), 2, 3, 4));
    EXPECT_EQ(cue.CuePoints().Item(2).Id(), -1);
    EXPECT_EQ(cue.CuePoints().Item(2).DataChunkId(), "slnt");

    const auto& plst = document.Plst();
    ASSERT_EQ(plst.SegmentCount(), 2);
    const auto& segment = plst.Segments().Item(1);
    EXPECT_EQ(std::make_tuple(segment.CuePointId(), segment.Length(), segment.Repeats()),
              std::make_tuple(1, 100, 2));
    EXPECT_EQ(plst.Segments().Item(2).Length(), INT32_MIN);
}

TEST(ListChunk, ExposesLabelsNotesAndLabelledTexts) {
    const std::string subChunks = Chunk("labl", LabelPayload(1, "Intro")) +
                                  Chunk("ltxt", LtxtPayload({2, 480, "rgn ", 1, 2, 3, 65001, "Verse"})) +
                                  Chunk("note", LabelPayload(2, "quiet")) +
                                  Chunk("labl", LabelPayload(3, "")) + Chunk("labl", U32(4) + "no zero") +
                                  Chunk("file", "ignored!");
    WaveDocument document;
    LoadOrFail(document, RiffFile(FmtAndData() + Chunk("LIST", ListPayload("adtl", subChunks))));
    const auto& list = document.List();
    EXPECT_EQ(list.TypeId(), "adtl");
    EXPECT_EQ(list.Name(), "LIST");
    ASSERT_EQ(list.Labels().Count(), 3);
    EXPECT_EQ(list.Labels().Item(1).Text(), "Intro");
    EXPECT_EQ(list.Labels().Item(1).Size(), 10);
    EXPECT_EQ(list.Labels().Item(2).Text(), "");
    EXPECT_EQ(list.Labels().Item(3).CuePointId(), 4);
    EXPECT_EQ(list.Labels().Item(3).Text(), "no zero");
    ASSERT_EQ(list.Notes().Count(), 1);
    EXPECT_EQ(list.Notes().Item(1).Text(), "quiet");
    ASSERT_EQ(list.LabeledTexts().Count(), 1);
    const auto& text = list.LabeledTexts().Item(1);
    EXPECT_EQ(std::make_tuple(text.CuePointId(), text.SampleLength(), text.PurposeId(), text.Country(),
                              text.Language(), text.Dialect(), text.CodePage(), text.Text()),
              std::make_tuple(2, 480, std::string("rgn "), 1, 2, 3, 65001, std::string("Verse")));
}

// How long a label's text is: up to its first zero byte when that lies in
// what is read (the limit and a few bytes more), else up to the zero bytes
// that close it. The bytes read never go past the limit and its read-ahead.
TEST(SubChunkEntry, CountsATextUpToTheZeroBytesThatEndIt) {
    constexpr std::uint64_t kLimit = 8;
    const struct {
        const char* what;
        std::string stored;  // the label's text bytes as stored
        std::size_t shown;   // how many bytes ReadText gives
        std::uint64_t length;
    } cases[] = {
        {"short, closed", std::string("abc\0", 4), 3, 3},
        {"exactly the limit, closed", std::string("abcdefgh\0", 9), 8, 8},
        {"zero in the read-ahead", std::string("abcdefghi\0xyz", 13), 9, 9},
        {"long, closed by one zero", std::string(20, 'a') + '\0', 11, 20},
        {"long, closed by two zeros", std::string(20, 'a') + std::string(2, '\0'), 11, 20},
        {"long, not closed", std::string(20, 'a'), 11, 20},
        {"unclosed within the read", "abcde", 5, 5},
    };
    for (const auto& c : cases) {
        WaveDocument document;
        LoadOrFail(document, RiffFile(FmtAndData() +
                                      Chunk("LIST", ListPayload("adtl", Chunk("labl", U32(1) + c.stored)))));
        const wavedoc::SubChunkEntry::StoredText text = document.List().Labels().Item(1).ReadText(kLimit);
        EXPECT_EQ(text.shown.size(), c.shown) << c.what;
        EXPECT_EQ(text.length, c.length) << c.what;
    }
}

}  // namespace
