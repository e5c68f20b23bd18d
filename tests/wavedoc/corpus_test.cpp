#include "support/corpus.h"

#include <gtest/gtest.h>

#include "document_helpers.h"

using wavedoc::WaveDocument;
using wavtest::CorpusPath;

namespace {

// Real files written by other programs.
struct CorpusCase {
    const char* file;
    std::int16_t status;
    std::string chunks;  // as PresentChunks writes them
};
void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file; }

class Corpus : public testing::TestWithParam<CorpusCase> {};

TEST_P(Corpus, LoadsWithTheExpectedChunks) {
    WaveDocument document;
    ASSERT_EQ(document.Load(CorpusPath(GetParam().file)), GetParam().status) << document.LoadError();
    if (GetParam().status == wavedoc::LoadOk) {
        EXPECT_EQ(wavtest::PresentChunks(document), GetParam().chunks);
    }
}

INSTANTIATE_TEST_SUITE_P(
    WaveDocument, Corpus,
    testing::Values(CorpusCase{"wavinfo_izotoperx_cues_test.wav", 0, "fmt :16 cue :76 LIST:320 data:192000"},
                    CorpusCase{"go-wav_flloop.wav", 0, "fmt :16 cue :388 LIST:764 smpl:60 data:433124"},
                    CorpusCase{"wavinfo_STE-000.wav", 0, "fmt :16 cue :76 list:52 data:970496"},
                    CorpusCase{"wavefile-rb_format_chunk_with_extra_byte_and_missing_padding_byte.wav", 0,
                               "fmt :17 data:2240"},
                    CorpusCase{"go-wav_listChunkInHeader.wav", 0, "fmt :16 LIST:72 PAD :12156 data:91908"},
                    CorpusCase{"wavefile-rb_smpl_chunk_truncated.wav", 0, "fmt :16 smpl:60 data:8960"},
                    CorpusCase{"hound_fuzz-crash-e879de4e.wav", 0, ""},
                    CorpusCase{"wavefile-rb_no_riff_format.wav", 2, ""},
                    CorpusCase{"wavefile-js_RIFX-16bit-mono.wav", 1, ""}));

TEST(Corpus, CuePointsAndAssociatedDataOfAnEditor) {
    WaveDocument document;
    ASSERT_EQ(document.Load(CorpusPath("wavinfo_izotoperx_cues_test.wav")), 0);
    EXPECT_EQ(document.Fmt().CompressionName(), "IEEE float");
    ASSERT_EQ(document.Cue().CuePointCount(), 3);
    EXPECT_EQ(document.Cue().CuePoints().Item(3).SampleOffset(), 10000);
    const auto& list = document.List();
    ASSERT_EQ(list.Labels().Count(), 3);
    EXPECT_EQ(list.Labels().Item(2).Text(), "Marker 2");
    ASSERT_EQ(list.LabeledTexts().Count(), 2);
    EXPECT_EQ(list.LabeledTexts().Item(1).SampleLength(), 5000);
    EXPECT_EQ(list.LabeledTexts().Item(1).PurposeId(), "rgn ");
    ASSERT_EQ(list.Notes().Count(), 2);
    EXPECT_EQ(list.Notes().Item(1).Text(), "Marker Comment 1");
    EXPECT_EQ(list.Notes().Item(2).Text().substr(0, 4), "\xD0\x9B\xD0\xBE");  // UTF-8 bytes kept as stored
}

TEST(Corpus, SamplerLoopWithCuesAndAnInfoListAfterTheAdtlList) {
    WaveDocument document;
    ASSERT_EQ(document.Load(CorpusPath("go-wav_flloop.wav")), 0);
    EXPECT_EQ(document.Smpl().SamplePeriod(), 22676);
    ASSERT_EQ(document.Smpl().SampleLoopCount(), 1);
    EXPECT_EQ(document.Smpl().SampleLoops().Item(1).CuePointId(), 131072);
    EXPECT_EQ(document.Smpl().SampleLoops().Item(1).End(), 107999);
    EXPECT_EQ(document.Cue().CuePointCount(), 16);
    EXPECT_EQ(document.List().TypeId(), "adtl");
    ASSERT_EQ(document.List().Labels().Count(), 16);
    EXPECT_EQ(document.List().Labels().Item(5).Text(), "Snare + Clap + Hat");
}

}  // namespace
