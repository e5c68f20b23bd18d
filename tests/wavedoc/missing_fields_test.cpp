#include <gtest/gtest.h>

#include <functional>

#include "document_helpers.h"

using namespace wavtest;
using wavedoc::WaveDocument;

namespace {

struct MissingCase {
    const char* what;
    std::string chunks;
    std::function<void(const WaveDocument&)> read;
    std::string message;
};
void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.what; }

class MissingBytes : public testing::TestWithParam<MissingCase> {};

// A field or record the file does not hold is never made up: reading it fails
// with a sentence that names the chunk and the field.
TEST_P(MissingBytes, FailWithAClearMessage) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(GetParam().chunks));
    try {
        GetParam().read(document);
        FAIL() << "the read succeeded";
    } catch (const wavedoc::WaveDocError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

const std::string kTwoLoops = SmplPayload({}, {{1, 0, 0, 10}, {2, 0, 0, 10}}, std::string(24, 'z'));
const std::string kShortLtxt = LtxtPayload({1, 2, "rgn ", 0, 0, 0, 0, ""}).substr(0, 19);

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, MissingBytes,
    testing::Values(
        MissingCase{"short fmt", Chunk("fmt ", PcmFormat(1, 8000, 8).substr(0, 8)),
                    [](auto& d) { d.Fmt().BytesPerSecond(); },
                    "The fmt chunk ends before its field nAvgBytesPerSec."},
        MissingCase{"no cbSize", Chunk("fmt ", PcmFormat(1, 8000, 8)),
                    [](auto& d) { d.Fmt().ExtraFormatByteCount(); },
                    "The fmt chunk ends before its field cbSize."},
        MissingCase{"empty fact", Chunk("fact", ""), [](auto& d) { d.Fact().SampleCount(); },
                    "The fact chunk ends before its field dwSampleLength."},
        MissingCase{"short slnt", Chunk("slnt", "ab"), [](auto& d) { d.Slnt().SilentSampleCount(); },
                    "The slnt chunk ends before its field dwSamples."},
        MissingCase{"truncated smpl", Chunk("smpl", SmplPayload({}, {}).substr(0, 24)),
                    [](auto& d) { d.Smpl().SmpteOffset(); },
                    "The smpl chunk ends before its field dwSMPTEOffset."},
        MissingCase{"short inst", Chunk("inst", "abc"), [](auto& d) { d.Inst().LowNote(); },
                    "The inst chunk ends before its field bLowNote."},
        MissingCase{"absent chunk", "", [](auto& d) { d.Slnt().SilentSampleCount(); },
                    "The file holds no such chunk, so its field dwSamples cannot be read."},
        MissingCase{"absent cue chunk", "", [](auto& d) { d.Cue().CuePoints().Item(1); },
                    "The file holds no such chunk, so its entry 1 is not in the file."},
        MissingCase{"cue count above records", Chunk("cue ", CuePayload({{1, 0}, {2, 0}}, 3)),
                    [](auto& d) { d.Cue().CuePoints().Item(3); },
                    "The cue chunk holds 2 cue points, so cue point 3 is not in the file."},
        MissingCase{"partial cue record", Chunk("cue ", CuePayload({{1, 0}, {2, 0}}).substr(0, 4 + 24 + 23)),
                    [](auto& d) { d.Cue().CuePoints().Item(2); },
                    "The cue chunk holds 1 cue point, so cue point 2 is not in the file."},
        MissingCase{"position zero", Chunk("cue ", CuePayload({{1, 0}})),
                    [](auto& d) { d.Cue().CuePoints().Item(0); },
                    "The cue chunk holds 1 cue point, so cue point 0 is not in the file."},
        MissingCase{"plst count above records", Chunk("plst", PlstPayload({{1, 2, 3}}, 0xFFFFFFFF)),
                    [](auto& d) { d.Plst().Segments().Item(2); },
                    "The plst chunk holds 1 play segment, so play segment 2 is not in the file."},
        // Sampler data after the counted loops is not taken for a third loop.
        MissingCase{"smpl count below records",
                    Chunk("smpl", kTwoLoops.substr(0, 28) + U32(1) + kTwoLoops.substr(32)),
                    [](auto& d) { d.Smpl().SampleLoops().Item(2); },
                    "The smpl chunk holds 1 sample loop, so sample loop 2 is not in the file."},
        MissingCase{"short label", Chunk("LIST", ListPayload("adtl", Chunk("labl", "ab"))),
                    [](auto& d) { d.List().Labels().Item(1).CuePointId(); },
                    "Label 1 of the LIST chunk ends before its field dwName."},
        MissingCase{"short labelled text", Chunk("list", ListPayload("adtl", Chunk("ltxt", kShortLtxt))),
                    [](auto& d) { d.List().LabeledTexts().Item(1).CodePage(); },
                    "Labelled text 1 of the list chunk ends before its field wCodePage."},
        MissingCase{"no note", Chunk("LIST", ListPayload("adtl", "")),
                    [](auto& d) { d.List().Notes().Item(1); },
                    "The LIST chunk holds 0 notes, so note 1 is not in the file."},
        MissingCase{"list without type", Chunk("LIST", "ad"), [](auto& d) { d.List().TypeId(); },
                    "The LIST chunk ends before its field list type."}));

TEST(MissingBytes, FieldsInsideTheBytesPresentStillRead) {
    WaveDocument document;
    LoadOrFail(document, RiffFile(Chunk("smpl", SmplPayload({7}, {{1, 0, 0, 10}}), 1000)));
    EXPECT_EQ(document.Smpl().Size(), 1000);
    EXPECT_EQ(document.Smpl().Manufacturer(), 7);
    EXPECT_EQ(document.Smpl().SampleLoops().Count(), 1);
}

}  // namespace
