#include "rows_test_support.h"

namespace detailtest {

TEST_P(ShownRows, MatchTheGrid) {
    const Shown shown = ShowChunk(GetParam().file, GetParam().chunkName);
    EXPECT_EQ(shown.rows, GetParam().expected);
    EXPECT_EQ(shown.error.has_value(), GetParam().stopsShort) << shown.error.value_or("");
}

namespace {

// A fmt chunk of 16 bits at 44100 Hz with the given tag and channel count, and extra bytes after it.
std::string FmtFile(std::uint16_t tag, std::uint16_t channels, const std::string& extra = "") {
    const auto align = static_cast<std::uint16_t>(2 * channels);
    return RiffFile(Chunk(
        "fmt ", U16(tag) + U16(channels) + U32(44100) + U32(44100u * align) + U16(align) + U16(16) + extra));
}

// clang-format off
const RowsCase kSimpleCases[] = {
    {"stereo_pcm", FmtFile(1, 2), "fmt ",
     {"Compression code\t1 (PCM)",
      "Number of channels\t2 (Stereo)",
      "Sample rate\t44100",
      "Bytes per second\t176400",
      "Bytes per sample\t4",
      "Bits per sample\t16"}},
    {"six_channels_have_no_channel_row", FmtFile(1, 6), "fmt ",
     {"Compression code\t1 (PCM)",
      "Sample rate\t44100",
      "Bytes per second\t529200",
      "Bytes per sample\t12",
      "Bits per sample\t16"}},
    {"size_18_adds_extension_rows", FmtFile(3, 1, U16(0)), "fmt ",
     {"Compression code\t3 (IEEE float)",
      "Number of channels\t1 (Mono)",
      "Sample rate\t44100",
      "Bytes per second\t88200",
      "Bytes per sample\t2",
      "Bits per sample\t16",
      "Extra format bytes\t0",
      "Extra format value\t( . . . )"}},
    {"fmt_ending_inside_cbSize_keeps_rows", RiffFile(Chunk("fmt ", PcmFormat(1, 8, 8) + U8(0), 18, false)),
     "fmt ",
     {"Compression code\t1 (PCM)",
      "Number of channels\t1 (Mono)",
      "Sample rate\t8",
      "Bytes per second\t8",
      "Bytes per sample\t1",
      "Bits per sample\t8"}, true},
    {"riff_type", FmtFile(1, 1), "RIFF",
     {"RIFF Type\tWAVE"}},
    {"fact_size_4", WaveWith(Chunk("fact", U32(1000))), "fact",
     {"Number of samples\t1000"}},
    {"fact_size_8", WaveWith(Chunk("fact", U32(0xFFFFFFFF) + U32(7))), "fact",
     {"Number of samples\t-1",
      "More fields\t ( . . . )"}},
    {"slnt", WaveWith(Chunk("slnt", U32(480))), "slnt",
     {"Number of silent samples\t480"}},
    {"wavl", WaveWith(Chunk("wavl", "abcd")), "wavl",
     {"List of data and slnt chunks\t ( . . . )"}},
    {"data", WaveWith(""), "data",
     {"Data\t( . . . )"}},
    {"pad_0", WaveWith(Chunk("PAD ", std::string(4, '\0'))), "PAD ",
     {"PAD byte\t00"}},
    {"pad_9", WaveWith(Chunk("PAD ", "\x09\x01")), "PAD ",
     {"PAD byte\t09"}},
    {"pad_100", WaveWith(Chunk("PAD ", "d")), "PAD ",
     {"PAD byte\t100"}},
    {"pad_255", WaveWith(Chunk("PAD ", "\xFF")), "PAD ",
     {"PAD byte\t255"}},
    {"pad_empty", WaveWith(Chunk("PAD ", "")), "PAD ",
     {"PAD byte\t"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Simple, ShownRows, testing::ValuesIn(kSimpleCases), CaseName);

}  // namespace
}  // namespace detailtest
