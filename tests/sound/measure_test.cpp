// The measuring pass on files built byte by byte: every sample format, cut
// into pieces anywhere, gives the same peaks, clipped counts and overview;
// loudness of known signals; the check's comparisons with bext and PEAK.
#include "sound/measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>

#include "report/json_writer.h"
#include "report/sound_measuring.h"
#include "report/text_report.h"
#include "sound/loop_seam.h"
#include "sound/markers.h"
#include "sound/peak_envelope.h"
#include "sound/play_stream.h"
#include "sound/sample_decoder.h"
#include "support/corpus.h"
#include "support/metadata_builder.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"

namespace {

using namespace wavtest;

std::string U24(std::uint32_t v) { return U32(v).substr(0, 3); }
std::string F32(float v) { return U32(std::bit_cast<std::uint32_t>(v)); }
std::string F64(double v) { return U64(std::bit_cast<std::uint64_t>(v)); }

std::string Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const auto align = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}
std::string Extensible(std::uint16_t subTag, std::uint16_t channels, std::uint16_t bits,
                       std::uint32_t mask = 0) {
    return Format(0xFFFE, channels, 48000, bits) + U16(22) + U16(bits) + U32(mask) + U16(subTag) +
           std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
}

std::unique_ptr<wavedoc::WaveDocument> Loaded(const std::string& bytes) {
    auto document = std::make_unique<wavedoc::WaveDocument>();
    EXPECT_EQ(document->LoadFromMemory(bytes, "built.wav", nullptr, wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    return document;
}

// A sample as stored and what it decodes to.
struct Sample {
    std::string bytes;
    double value;
};

// A format, and five of its samples: silence, a small positive and a small
// negative value, the largest and the smallest.
struct FormatRow {
    std::string name;
    std::string fmt;  // the fmt chunk's payload, for 3 channels
    Sample zero, up, down, top, bottom;
    std::uint64_t topClips = 1;  // whether the largest value counts as clipped
};

std::vector<FormatRow> FormatRows() {
    return {
        {"8-bit PCM",
         Format(1, 3, 48000, 8),
         {U8(128), 0},
         {U8(144), 0.125},
         {U8(112), -0.125},
         {U8(255), 127 / 128.0},
         {U8(0), -1}},
        {"16-bit PCM",
         Format(1, 3, 48000, 16),
         {U16(0), 0},
         {U16(0x1000), 0.125},
         {U16(0xF000), -0.125},
         {U16(0x7FFF), 32767 / 32768.0},
         {U16(0x8000), -1}},
        {"24-bit PCM",
         Format(1, 3, 48000, 24),
         {U24(0), 0},
         {U24(0x100000), 0.125},
         {U24(0xF00000), -0.125},
         {U24(0x7FFFFF), 8388607 / 8388608.0},
         {U24(0x800000), -1}},
        {"32-bit PCM",
         Format(1, 3, 48000, 32),
         {U32(0), 0},
         {U32(0x10000000), 0.125},
         {U32(0xF0000000), -0.125},
         {U32(0x7FFFFFFF), 1.0},
         {U32(0x80000000), -1}},
        {"12-bit PCM in 16 bits",
         Format(1, 3, 48000, 12),
         {U16(0), 0},
         {U16(0x1000), 0.125},
         {U16(0xF000), -0.125},
         {U16(0x7FF0), 32752 / 32768.0},
         {U16(0x8000), -1},
         0},
        {"32-bit float",
         Format(3, 3, 48000, 32),
         {F32(0), 0},
         {F32(0.125F), 0.125},
         {F32(-0.125F), -0.125},
         {F32(1.5F), 1.5},
         {F32(-1.0F), -1}},
        {"64-bit float",
         Format(3, 3, 48000, 64),
         {F64(0), 0},
         {F64(0.125), 0.125},
         {F64(-0.125), -0.125},
         {F64(1.0), 1.0},
         {F64(-1.0), -1}},
        {"32-bit float far beyond full scale, measured as stored",
         Format(3, 3, 48000, 32),
         {F32(0), 0},
         {F32(0.125F), 0.125},
         {F32(-0.125F), -0.125},
         {F32(8000.0F), 8000},
         {F32(-8000.0F), -8000}},
        {"A-law",
         Format(6, 3, 48000, 8),
         {U8(0xD5), 8 / 32768.0},
         {U8(0xA5), 16896 / 32768.0},
         {U8(0x25), -16896 / 32768.0},
         {U8(0xAA), 32256 / 32768.0},
         {U8(0x2A), -32256 / 32768.0}},
        {"\xC2\xB5-law",
         Format(7, 3, 48000, 8),
         {U8(0xFF), 0},
         {U8(0xA0), 7932 / 32768.0},
         {U8(0x20), -7932 / 32768.0},
         {U8(0x80), 32124 / 32768.0},
         {U8(0x00), -32124 / 32768.0}},
        {"extensible 24-bit PCM",
         Extensible(1, 3, 24),
         {U24(0), 0},
         {U24(0x100000), 0.125},
         {U24(0xF00000), -0.125},
         {U24(0x7FFFFF), 8388607 / 8388608.0},
         {U24(0x800000), -1}},
        {"extensible 32-bit float",
         Extensible(3, 3, 32),
         {F32(0), 0},
         {F32(0.125F), 0.125},
         {F32(-0.125F), -0.125},
         {F32(1.0F), 1.0},
         {F32(-1.0F), -1}},
    };
}

constexpr std::uint64_t kFrames = 40;

// 40 frames of 3 channels: channel 0 rises and falls by the small values with
// its top at frame 13; channel 1 is silence but for a small value at frame
// 30; channel 2 holds the bottom at frames 27 and 33.
const Sample& SampleAt(const FormatRow& row, std::uint64_t frame, unsigned channel) {
    if (channel == 0) return frame == 13 ? row.top : frame % 2 == 0 ? row.up : row.down;
    if (channel == 1) return frame == 30 ? row.up : row.zero;
    return frame == 27 || frame == 33 ? row.bottom : frame % 3 == 0 ? row.down : row.zero;
}

std::string Reversed(std::string bytes) {
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

// A fmt payload with its numbers most significant byte first, as a RIFX file
// keeps them; an extensible format's sub-format GUID stays as it is.
std::string BigEndianFormat(const std::string& fmt) {
    std::string out;
    std::size_t at = 0;
    for (const std::size_t width : {2U, 2U, 4U, 4U, 2U, 2U, 2U, 2U, 4U}) {
        if (at + width > fmt.size()) break;
        out += Reversed(fmt.substr(at, width));
        at += width;
    }
    return out + fmt.substr(at);
}

// The row's file, in a RIFX file every number and sample most significant byte first.
std::string Audio(const FormatRow& row, bool rifx) {
    std::string data;
    for (std::uint64_t f = 0; f < kFrames; ++f) {
        for (unsigned c = 0; c < 3; ++c) {
            const std::string& bytes = SampleAt(row, f, c).bytes;
            data += rifx ? Reversed(bytes) : bytes;
        }
    }
    if (rifx) return RifxFile(BigChunk("fmt ", BigEndianFormat(row.fmt)) + BigChunk("data", data));
    return RiffFile(Chunk("fmt ", row.fmt) + Chunk("data", data));
}

TEST(Measure, EveryFormatGivesItsPeaksClipsAndOverviewWhereverThePiecesEnd) {
    for (const bool rifx : {false, true}) {
        for (const FormatRow& row : FormatRows()) {
            SCOPED_TRACE(row.name + (rifx ? " in a RIFX file" : ""));
            const auto document = Loaded(Audio(row, rifx));
            const std::size_t frameBytes = 3 * row.up.bytes.size();
            std::optional<sound::Measurement> first;
            for (const std::size_t piece :
                 {std::size_t{1}, std::size_t{2}, std::size_t{5}, frameBytes - 1, frameBytes, frameBytes + 1,
                  std::size_t{7 * 9}, std::size_t{1} << 20}) {
                SCOPED_TRACE("pieces of " + std::to_string(piece) + " bytes");
                sound::MeasureOptions options;
                options.buckets = 4;
                options.loudness = false;
                options.pieceBytes = piece;
                const sound::Measurement measured = sound::Measure(*document, options);
                ASSERT_TRUE(measured.Measured()) << measured.unmeasured;
                ASSERT_EQ(measured.framesRead, kFrames);
                ASSERT_EQ(measured.channels.size(), 3u);
                const double top = std::fabs(row.top.value);
                const double bottom = std::fabs(row.bottom.value);
                EXPECT_FLOAT_EQ(measured.channels[0].peak, static_cast<float>(top));
                EXPECT_EQ(measured.channels[0].peakFrame, 13u);
                EXPECT_EQ(measured.channels[0].clipped, row.topClips);
                EXPECT_FLOAT_EQ(measured.channels[1].peak, static_cast<float>(std::fabs(row.up.value)));
                EXPECT_EQ(measured.channels[1].peakFrame, 30u);
                EXPECT_EQ(measured.channels[1].clipped, 0u);
                EXPECT_FLOAT_EQ(measured.channels[2].peak, static_cast<float>(bottom));
                EXPECT_EQ(measured.channels[2].peakFrame, 27u);
                EXPECT_EQ(measured.channels[2].clipped, 2u);
                // Four buckets of ten frames: the top in the second of channel 0,
                // the bottom in the third and fourth of channel 2.
                const sound::Overview& overview = measured.overview;
                ASSERT_EQ(overview.buckets, 4u);
                EXPECT_FLOAT_EQ(overview.At(0, 1).max, static_cast<float>(row.top.value));
                EXPECT_FLOAT_EQ(overview.At(0, 0).max, static_cast<float>(row.up.value));
                EXPECT_FLOAT_EQ(overview.At(0, 0).min, static_cast<float>(row.down.value));
                EXPECT_FLOAT_EQ(overview.At(2, 2).min, static_cast<float>(row.bottom.value));
                EXPECT_FLOAT_EQ(overview.At(2, 3).min, static_cast<float>(row.bottom.value));
                EXPECT_FLOAT_EQ(overview.At(1, 3).max,
                                static_cast<float>(std::max(row.up.value, row.zero.value)));
                // Channel 0's first bucket alternates the small values.
                const double rms =
                    std::sqrt((row.up.value * row.up.value + row.down.value * row.down.value) / 2);
                EXPECT_NEAR(overview.At(0, 0).rms, rms, 1e-6);
                if (!first) {
                    first = measured;
                    continue;
                }
                for (std::size_t i = 0; i < overview.values.size(); ++i) {
                    EXPECT_EQ(overview.values[i].rms, first->overview.values[i].rms) << "bucket value " << i;
                }
            }
        }
    }
}

// A RIFX file keeps its samples most significant byte first.
TEST(Measure, BigEndianSamplesOfRifx) {
    const auto be16 = [](std::uint16_t v) {
        return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
    };
    const auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF),
                           static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
    };
    const std::string fmt = be16(1) + be16(1) + be32(8000) + be32(16000) + be16(2) + be16(16);
    const std::string data = be16(0x0100) + be16(0xC000) + be16(0x2000);
    const std::string chunks = "fmt " + be32(16) + fmt + "data" + be32(6) + data;
    const auto document =
        Loaded("RIFX" + be32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks);
    const sound::Measurement measured = sound::Measure(*document, {});
    ASSERT_TRUE(measured.Measured()) << measured.unmeasured;
    EXPECT_FLOAT_EQ(measured.channels.at(0).peak, 0.5F);
    EXPECT_EQ(measured.channels.at(0).peakFrame, 1u);
}

// Zooming reads only the frames shown, into as many buckets as asked.
TEST(Measure, PartOfTheAudioIsOverviewedAlone) {
    const FormatRow row = FormatRows()[1];
    const auto document = Loaded(Audio(row, false));
    sound::MeasureOptions options;
    options.firstFrame = 10;
    options.frameCount = 10;
    options.buckets = 10;
    std::uint64_t lastDone = 0;
    options.progress = [&](std::uint64_t done, std::uint64_t) { lastDone = done; };
    const sound::Measurement measured = sound::Measure(*document, options);
    EXPECT_EQ(measured.framesRead, 10u);
    EXPECT_EQ(lastDone, 10u * 6);
    EXPECT_FALSE(measured.loudness);
    EXPECT_EQ(measured.overview.Start(3), 13u);
    EXPECT_FLOAT_EQ(measured.overview.At(0, 3).max, static_cast<float>(row.top.value));
    EXPECT_EQ(measured.channels[0].peakFrame, 13u);
    // More buckets than frames: one frame each.
    options.buckets = 1000;
    EXPECT_EQ(sound::Measure(*document, options).overview.buckets, 10u);
}

TEST(Measure, OtherCodecsAreNotMeasuredAndSaySo) {
    struct Row {
        std::string what;
        std::string file;
        std::string says;
    };
    const std::vector<Row> rows{
        {"IMA ADPCM",
         RiffFile(Chunk("fmt ", Format(0x11, 1, 8000, 4)) + Chunk("data", std::string(256, '\0'))),
         "\"built.wav\" is not measured: its audio is"},
        {"MPEG layer 3",
         RiffFile(Chunk("fmt ", Format(0x55, 2, 44100, 0)) + Chunk("data", std::string(8, '\0'))),
         "which Ondulo does not decode."},
        {"24-bit float",
         RiffFile(Chunk("fmt ", Format(3, 1, 8000, 24)) + Chunk("data", std::string(6, '\0'))),
         "24-bit samples are not a size its format has."},
        {"no channels", RiffFile(Chunk("fmt ", Format(1, 0, 8000, 16)) + Chunk("data", std::string(6, '\0'))),
         "gives no channels."},
        {"no data", RiffFile(Chunk("fmt ", Format(1, 1, 8000, 16))), "has no \"data\" chunk."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const sound::Measurement measured = sound::Measure(*Loaded(row.file), {});
        EXPECT_FALSE(measured.Measured());
        EXPECT_NE(measured.unmeasured.find(row.says), std::string::npos) << measured.unmeasured;
    }
}

// A 1 kHz sine at 48 kHz, `seconds` long, at `dbfs` in each channel of
// `sounding` (a bit each, the others silent), after `quietBefore` and
// before `quietAfter` seconds of silence.
std::string Sine(unsigned channels, double dbfs, double seconds, std::uint32_t mask = 0,
                 double quietBefore = 0, double quietAfter = 0, std::uint32_t sounding = ~0U) {
    const double amplitude = std::pow(10.0, dbfs / 20) * 32767;
    std::string data;
    const auto first = static_cast<std::uint64_t>(quietBefore * 48000);
    const auto end = first + static_cast<std::uint64_t>(seconds * 48000);
    const auto frames = end + static_cast<std::uint64_t>(quietAfter * 48000);
    for (std::uint64_t f = 0; f < frames; ++f) {
        const double phase = 2 * std::numbers::pi * 1000 * static_cast<double>(f - first) / 48000;
        const auto value =
            static_cast<std::int16_t>(f >= first && f < end ? std::lround(amplitude * std::sin(phase)) : 0);
        for (unsigned c = 0; c < channels; ++c)
            data += U16(static_cast<std::uint16_t>((sounding >> c & 1U) != 0 ? value : 0));
    }
    const std::string fmt = mask != 0 ? Extensible(1, static_cast<std::uint16_t>(channels), 16, mask)
                                      : Format(1, static_cast<std::uint16_t>(channels), 48000, 16);
    return Chunk("fmt ", fmt) + Chunk("data", data);
}

// EBU Tech 3341's calibration: a 1 kHz sine at -23 dBFS in both channels of
// a stereo programme is -23 LUFS, so each channel of a sine at D dBFS adds
// the power of D - 3.01 LUFS, times its weight.
TEST(Measure, LoudnessOfKnownSines) {
    struct Row {
        std::string what;
        std::string chunks;
        double integrated;
        double truePeak;
        double maxMomentary;
        double maxShortTerm;
        std::optional<double> range;
    };
    // A steady sine: every loudness is the same, and its range is 0.
    const auto steady = [](std::string what, std::string chunks, double loudness, double truePeak) {
        return Row{std::move(what), std::move(chunks), loudness, truePeak, loudness, loudness, 0.0};
    };
    // A 400 ms burst from 2.1 s on: only the 400 ms window that ends at 2.5 s
    // holds it whole, so the meter must be read every 100 ms to find its
    // momentary loudness; its 3-second window holds it whole (-23 + 10 log10(0.4 / 3)),
    // and of the 400 ms blocks every 100 ms, the seven that overlap it give 4/7 of its power.
    const Row burst{"a 400 ms burst, met whole by one 100 ms step of the momentary window",
                    Sine(1, -20, 0.4, 0, 2.1, 2.5),
                    -23 + 10 * std::log10(4.0 / 7),
                    -20.0,
                    -23.0,
                    -23 + 10 * std::log10(0.4 / 3),
                    std::nullopt};
    const std::vector<Row> rows{
        steady("stereo at -23 dBFS", Sine(2, -23, 6), -23.0, -23.0),
        steady("mono at -20 dBFS counts once", Sine(1, -20, 6), -23.0, -20.0),
        steady("5.1 by its mask: the low-frequency channel left out, surround at +1.5 dB",
               Sine(6, -30, 6, 0x3F), -30 - 10 * std::log10(2.0) + 10 * std::log10(3 + 2 * 1.41), -30.0),
        steady("quad by its mask: back left and right as surround", Sine(4, -30, 6, 0x33),
               -30 - 10 * std::log10(2.0) + 10 * std::log10(2 + 2 * 1.41), -30.0),
        steady("8 channels without a mask, sound in 7 and 8 alone: each at 1.0",
               Sine(8, -20, 6, 0, 0, 0, 0xC0), -20.0, -20.0),
        steady("8 channels without a mask: the fourth left out as low frequency",
               Sine(8, -20, 6, 0, 0, 0, 0x08), -INFINITY, -20.0),
        steady("mono whose mask names only the low-frequency speaker counts once", Sine(1, -6, 6, 0x8), -9.0,
               -6.0),
        steady("a mask naming fewer speakers than channels: the rest at 1.0", Sine(3, -20, 6, 0x4, 0, 0, 0x4),
               -23.0, -20.0),
        burst,
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto document = Loaded(RiffFile(row.chunks));
        const sound::Measurement measured = sound::Measure(*document, {});
        ASSERT_TRUE(measured.loudness) << measured.loudnessUnmeasured;
        // Meters on threads of their own give every figure to the last bit.
        sound::MeasureOptions threaded;
        threaded.threads = 3;
        threaded.pieceBytes = 10000;
        const sound::Measurement apart = sound::Measure(*document, threaded);
        ASSERT_TRUE(apart.loudness);
        EXPECT_EQ(apart.loudness->integrated, measured.loudness->integrated);
        EXPECT_EQ(apart.loudness->truePeak, measured.loudness->truePeak);
        EXPECT_EQ(apart.loudness->range, measured.loudness->range);
        EXPECT_EQ(apart.loudness->maxShortTerm, measured.loudness->maxShortTerm);
        if (!std::isfinite(row.integrated)) {
            EXPECT_EQ(measured.loudness->integrated, -INFINITY);
            continue;
        }
        EXPECT_NEAR(measured.loudness->integrated.value_or(NAN), row.integrated, 0.1);
        EXPECT_NEAR(measured.loudness->truePeak, row.truePeak, 0.1);
        EXPECT_NEAR(measured.loudness->maxMomentary.value_or(NAN), row.maxMomentary, 0.1);
        EXPECT_NEAR(measured.loudness->maxShortTerm.value_or(NAN), row.maxShortTerm, 0.1);
        if (row.range) {
            EXPECT_NEAR(measured.loudness->range.value_or(NAN), *row.range, 0.1);
        }
    }
}

// A figure whose window the audio does not fill is not given, nor is the
// integrated loudness of sound too short to gate; silence stays -inf. The
// text and the JSON say the same, and the check compares only what is given.
TEST(Measure, FiguresTheAudioIsTooShortForAreNotGiven) {
    constexpr double kNone = NAN;  // not given
    struct Row {
        std::string what;
        std::string chunks;
        double integrated, range, maxMomentary, maxShortTerm;  // -inf, a value, or kNone
        bool rangeJudged;
        std::vector<std::string> text;  // lines of the text report
        std::string json;
    };
    const std::vector<Row> rows{
        {"0.32 s of a loud sine",
         Sine(1, -1, 0.32),
         kNone,
         kNone,
         kNone,
         kNone,
         false,
         {"  integrated loudness\ttoo short to measure: under 0.4 s\n",
          "  max short-term\ttoo short to measure: under 3 s\n"},
         "\"integrated\": null, \"range\": null, \"true_peak\": -1.00, \"max_momentary\": null, "
         "\"max_short_term\": null, \"range_judged\": false, \"null_because\": {\"integrated\": \"too short "
         "to "
         "measure: under 0.4 s\", \"range\": \"too short"},
        {"0.32 s of silence",
         Sine(1, -200, 0.32),
         -INFINITY,
         kNone,
         kNone,
         kNone,
         false,
         {"  integrated loudness\t-inf LUFS\n", "  true peak\t-inf dBTP\n"},
         "\"null_because\": {\"integrated\": \"silence (-inf)\", \"range\": \"too short"},
        {"1 s", Sine(1, -20, 1), -23, kNone, -23, kNone, false, {"  max momentary\t-23.00 LUFS\n"}, ""},
        {"20 s: a range from too few blocks to judge",
         Sine(1, -20, 20),
         -23,
         0,
         -23,
         -23,
         false,
         {"  loudness range\t0.00 LU (rests on few 3 s blocks under 60 s: not compared with a stored "
          "range)\n"},
         "\"range_judged\": false, \"null_because\": {}, \"left_out\": []"},
        {"61 s",
         Sine(1, -20, 61),
         -23,
         0,
         -23,
         -23,
         true,
         {"  loudness range\t0.00 LU\n"},
         "\"range_judged\": true"},
        {"5.1 by its mask",
         Sine(6, -30, 1, 0x3F),
         -30 - 10 * std::log10(2.0) + 10 * std::log10(3 + 2 * 1.41),
         kNone,
         -30 - 10 * std::log10(2.0) + 10 * std::log10(3 + 2 * 1.41),
         kNone,
         false,
         {"  left out of the loudness\tchannel 4 (LFE): the low-frequency channel, which BS.1770 leaves "
          "out\n"},
         "\"left_out\": [\"channel 4 (LFE): the low-frequency channel, which BS.1770 leaves out\"]"},
    };
    const auto expectFigure = [](const std::optional<double>& figure, double expected, const char* name) {
        if (std::isnan(expected)) {
            EXPECT_FALSE(figure) << name;
        } else if (!std::isfinite(expected)) {
            EXPECT_EQ(figure, expected) << name;
        } else {
            ASSERT_TRUE(figure) << name;
            EXPECT_NEAR(*figure, expected, 0.1) << name;
        }
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const sound::Measurement measured = sound::Measure(*Loaded(RiffFile(row.chunks)), {});
        ASSERT_TRUE(measured.loudness) << measured.loudnessUnmeasured;
        expectFigure(measured.loudness->integrated, row.integrated, "integrated");
        expectFigure(measured.loudness->range, row.range, "range");
        expectFigure(measured.loudness->maxMomentary, row.maxMomentary, "max momentary");
        expectFigure(measured.loudness->maxShortTerm, row.maxShortTerm, "max short-term");
        EXPECT_EQ(measured.loudness->rangeJudged, row.rangeJudged);
        std::ostringstream text;
        report::WriteMeasured(text, measured);
        for (const std::string& line : row.text)
            EXPECT_NE(text.str().find(line), std::string::npos) << text.str();
        EXPECT_NE(report::JsonMeasured(measured).find(row.json), std::string::npos)
            << report::JsonMeasured(measured);
        // A bext that stores every figure: only those measured are compared.
        const std::optional<wavecheck::MeasuredSound> figures = report::ComparedFigures(measured);
        ASSERT_TRUE(figures && figures->loudness);
        EXPECT_EQ(figures->loudness->range.has_value(), row.rangeJudged);
        EXPECT_EQ(figures->loudness->maxShortTerm.has_value(), !std::isnan(row.maxShortTerm));
    }
}

// A float sample that is not a number measures as silence, counted in its
// channel, said in the figures and found by the check at its bytes; the
// stored peaks and loudness of such a channel are not compared with it.
TEST(Measure, SamplesThatAreNotNumbersAreCountedAndFound) {
    const auto floats = [](std::uint16_t channels, std::uint16_t bits, const std::vector<double>& samples) {
        std::string data;
        for (const double value : samples) data += bits == 64 ? F64(value) : F32(static_cast<float>(value));
        return Chunk("fmt ", Format(3, channels, 48000, bits)) + Chunk("data", data);
    };
    const std::string peakOfOne = Chunk("PEAK", U32(1) + U32(0) + F32(1.0F) + U32(0));
    struct Row {
        std::string what;
        std::string chunks;
        std::vector<sound::NotFinite> channels;
        std::vector<std::string> findings;  // samples-not-finite and peak-mismatch, in order
        std::uint64_t firstOffset;          // of the first finding
    };
    const std::vector<Row> rows{
        {"all NaN, and a PEAK chunk that says 1",
         floats(1, 32, std::vector<double>(100, NAN)) + peakOfOne,
         {{100, 0, 0}},
         {"Channel 1 holds 100 NaN samples, the first at frame 0: readers play them as full-scale noise or "
          "as "
          "silence"},
         12 + 8 + 16 + 8},
        {"an infinity and a NaN in the second channel of 64-bit float",
         floats(2, 64, {0.5, 0, 0.5, 0, 0.5, INFINITY, 0.5, -NAN, 0.5, 0}),
         {{0, 0, 0}, {1, 1, 2}},
         {"Channel 2 holds 1 NaN sample and 1 infinite sample, the first at frame 2"},
         12 + 8 + 16 + 8 + 2 * 16 + 8},
        {"a sample of 8000 and no more", floats(1, 32, {0, 8000, -2}), {{0, 0, 0}}, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.LoadFromMemory(RiffFile(row.chunks), "built.wav", &check), wavedoc::LoadOk);
        const report::MeasureWatch measuring;
        const report::CheckedFile checked = report::FinishCheck(check, document, &measuring);
        ASSERT_TRUE(checked.measured);
        const sound::Measurement& measured = *checked.measured;
        ASSERT_EQ(measured.notFinite.size(), row.channels.size());
        for (std::size_t c = 0; c < row.channels.size(); ++c) {
            EXPECT_EQ(measured.notFinite[c].notANumber, row.channels[c].notANumber) << c;
            EXPECT_EQ(measured.notFinite[c].infinite, row.channels[c].infinite) << c;
            EXPECT_EQ(measured.notFinite[c].firstFrame, row.channels[c].firstFrame) << c;
        }
        std::vector<wavecheck::Finding> found;
        for (const wavecheck::Finding& f : checked.findings.shown) {
            if (f.code == "samples-not-finite" || f.code == "peak-mismatch") found.push_back(f);
        }
        ASSERT_EQ(found.size(), row.findings.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_NE(found[i].message.find(row.findings[i]), std::string::npos) << found[i].message;
        if (!found.empty()) {
            EXPECT_EQ(found[0].level, wavecheck::Level::Error);
            EXPECT_EQ(found[0].offset, row.firstOffset);
            std::ostringstream text;
            report::WriteMeasured(text, measured);
            EXPECT_NE(text.str().find(" (measured as silence)\n"), std::string::npos) << text.str();
        } else {
            EXPECT_FLOAT_EQ(measured.channels[0].peak, 8000.0F);
            EXPECT_EQ(measured.channels[0].peakFrame, 1u);
        }
    }
}

// A file overwritten in place while the pass reads it: the figures would
// be of no one version, so the pass fails and the check is unfinished.
TEST(Measure, AFileChangedInPlaceDuringThePassIsNoticed) {
    const wavtest::ScratchDir scratch;
    const std::string path = scratch.File("changing.wav", RiffFile(Sine(2, -20, 1)));
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;
    ASSERT_EQ(document.Load(path, &check), wavedoc::LoadOk);
    report::MeasureWatch measuring;
    measuring.progress = [&](std::uint64_t done, std::uint64_t total) {
        if (done < total) return;
        // The same size, inode and name: only its times tell.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(100);
        file.write("\x7F\x7F", 2);
    };
    const report::CheckedFile checked = report::FinishCheck(check, document, &measuring);
    EXPECT_FALSE(checked.measured);
    EXPECT_FALSE(checked.findings.Finished());
    EXPECT_NE(checked.findings.unfinished.find("changed"), std::string::npos) << checked.findings.unfinished;
}

TEST(Measure, LoudnessIsLeftOutWhereTheMeterCannotGo) {
    const sound::Measurement tooMany = sound::Measure(
        *Loaded(RiffFile(Chunk("fmt ", Format(1, 200, 48000, 16)) + Chunk("data", std::string(400, '\0')))),
        {});
    EXPECT_TRUE(tooMany.Measured());
    EXPECT_FALSE(tooMany.loudness);
    EXPECT_NE(tooMany.loudnessUnmeasured.find("200 channels at 48000 Hz"), std::string::npos);
    const sound::Measurement slow = sound::Measure(
        *Loaded(RiffFile(Chunk("fmt ", Format(1, 1, 8, 16)) + Chunk("data", std::string(4, '\0')))), {});
    EXPECT_NE(slow.loudnessUnmeasured.find("sample rate of 8 Hz"), std::string::npos);
    // So many channels that the overview would outgrow its bound: fewer buckets.
    const sound::Measurement wide =
        sound::Measure(*Loaded(RiffFile(Chunk("fmt ", Format(1, 60000, 48000, 8)) +
                                        Chunk("data", std::string(60000 * 20, '\x80')))),
                       {});
    EXPECT_LE(wide.overview.values.size(), sound::kMostOverviewValues);
    EXPECT_EQ(wide.overview.buckets, 8u);
}

TEST(Measure, StopsWhenCancelled) {
    const auto document = Loaded(RiffFile(Sine(2, -23, 2)));
    std::atomic<bool> cancel{false};
    sound::MeasureOptions options;
    options.pieceBytes = 4096;
    options.cancel = &cancel;
    options.progress = [&](std::uint64_t, std::uint64_t) { cancel = true; };
    // The progress is told only a few times a second: cancel before the start.
    cancel = true;
    const sound::Measurement measured = sound::Measure(*document, options);
    EXPECT_TRUE(measured.stopped);
    EXPECT_EQ(measured.framesRead, 0u);
    EXPECT_FALSE(measured.loudness);
    EXPECT_EQ(measured.loudnessUnmeasured, "the pass was stopped");
}

// The check compares a bext chunk's loudness and a PEAK chunk's peaks with
// the audio when it measures.
TEST(Measure, TheCheckComparesWhatTheFileClaims) {
    const auto bext = [](std::array<std::int16_t, 5> loudness) {
        return Chunk("bext", BextPayload({.version = 2, .loudness = loudness}));
    };
    const auto peak = [](float value, std::uint32_t frame) {
        return Chunk("PEAK", U32(1) + U32(0) + F32(value) + U32(frame) + F32(value) + U32(frame));
    };
    // Stereo at -23 dBFS: -23 LUFS, true peak -23 dBTP; the sample peak
    // 2320/32768 = 0.0708008, first at frame 12.
    struct Row {
        std::string what;
        std::string more;
        std::vector<std::string> says;  // one per finding, in order
    };
    const std::vector<Row> rows{
        {"the loudness as measured", bext({-2300, 0, -2300, -2300, -2300}), {}},
        {"within a meter's tolerance and the rounding", bext({-2308, 90, -2335, -2309, -2291}), {}},
        {"loudness 3 LU off",
         bext({-2000, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}),
         {"gives LoudnessValue -20.00 LUFS, but the audio measures -22.99 LUFS."}},
        {"true peak half a dB high and short-term off; a range of 4 s is too short to judge",
         bext({-2300, 200, -2250, 0x7FFF, -2000}),
         {"gives MaxTruePeakLevel -22.50 dBTP", "gives MaxShortTermLoudness -20.00 LUFS"}},
        {"the peaks as they are", peak(2320 / 32768.0F, 12), {}},
        {"a peak at another frame that holds it too", peak(2320 / 32768.0F, 36), {}},
        {"the peak rounded as a writer takes it before it quantises", peak(0.0708F, 12), {}},
        {"a peak too high",
         peak(0.5F, 12),
         {"gives the peak of channel 1 as 0.5 at frame 12, but the audio's peak is 0.0708008, first at frame "
          "12.",
          "channel 2"}},
        {"a peak at a frame that does not hold it",
         peak(2320 / 32768.0F, 0),
         {"puts the peak of channel 1 at frame 0, where the sample is 0;", "channel 2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.LoadFromMemory(RiffFile(Sine(2, -23, 4) + row.more), "built.wav", &check),
                  wavedoc::LoadOk);
        const report::MeasureWatch measuring;
        const report::CheckedFile checked = report::FinishCheck(check, document, &measuring);
        ASSERT_TRUE(checked.measured);
        const wavecheck::Findings& findings = checked.findings;
        std::vector<std::string> messages;
        for (const wavecheck::Finding& f : findings.shown) {
            if (f.code == "loudness-mismatch" || f.code == "peak-mismatch") messages.push_back(f.message);
        }
        ASSERT_EQ(messages.size(), row.says.size()) << (messages.empty() ? "" : messages.front());
        for (std::size_t i = 0; i < messages.size(); ++i) {
            EXPECT_NE(messages[i].find(row.says[i]), std::string::npos) << messages[i];
        }
        // A sound measured after the check (the sound view's) is compared alike.
        const std::optional<wavecheck::MeasuredSound> figures = report::ComparedFigures(*checked.measured);
        ASSERT_TRUE(figures);
        std::vector<std::string> later;
        for (const wavecheck::Finding& f : wavecheck::CheckMeasured(document, check.Claims(), *figures).shown)
            later.push_back(f.message);
        EXPECT_EQ(later, messages);
    }
}

// The places a file marks, each with the offset of its record, which the
// view selects when the marker is clicked.
TEST(Markers, CuesRegionsLoopsAndSegmentsWithTheirRecords) {
    // 16-bit mono, 100 frames of silence at offset 36; the chunks after it
    // start at offset 244.
    const std::string cue = Chunk(
        "cue ", CuePayload({{1, 0, "data", 0, 0, 10}, {2, 0, "data", 0, 0, 40}, {3, 0, "data", 0, 0, 99}}));
    const std::string adtl = Chunk(
        "LIST",
        ListPayload("adtl", Chunk("labl", LabelPayload(1, std::string("Intro\0", 6))) +
                                Chunk("labl", LabelPayload(2, std::string("Verse\0", 6))) +
                                Chunk("ltxt", LtxtPayload({2, 30, "rgn ", 0, 0, 0, 0, "Verse region"})) +
                                Chunk("ltxt", LtxtPayload({7, 5, "rgn ", 0, 0, 0, 0, "no such cue"}))));
    const std::string smpl = Chunk("smpl", SmplPayload({}, {{0, 0, 20, 59}, {0, 1, 70, 60}, {0, 32, 1, 2}}));
    const std::string plst = Chunk("plst", PlstPayload({{3, 1, 2}, {9, 4, 1}}));
    const std::string head = Chunk("fmt ", Format(1, 1, 48000, 16)) + Chunk("data", std::string(200, '\0'));
    const auto document = Loaded(RiffFile(head + cue + adtl + smpl + plst));
    const std::uint64_t cueAt = 12 + head.size();
    const std::uint64_t adtlAt = cueAt + cue.size();
    const std::uint64_t smplAt = adtlAt + adtl.size();
    const std::uint64_t plstAt = smplAt + smpl.size();
    struct Row {
        sound::MarkerKind kind;
        std::uint64_t start;
        std::optional<std::uint64_t> end;
        std::string label;
        std::uint64_t recordOffset;
    };
    const std::vector<Row> expected{
        {sound::MarkerKind::Cue, 10, std::nullopt, std::string("Intro"), cueAt + 12},
        {sound::MarkerKind::Cue, 40, std::nullopt, std::string("Verse"), cueAt + 36},
        {sound::MarkerKind::Cue, 99, std::nullopt, "Cue 3", cueAt + 60},
        {sound::MarkerKind::Region, 40, 69, "Verse region", adtlAt + 12 + 20 + 20},
        {sound::MarkerKind::Loop, 20, 59, "Loop 1: Forward", smplAt + 8 + 36},
        {sound::MarkerKind::Loop, 60, 70, "Loop 2: Alternating", smplAt + 8 + 60},
        {sound::MarkerKind::Loop, 1, 2, "Loop 3: Type 32", smplAt + 8 + 84},
        {sound::MarkerKind::Segment, 99, 99, "Segment 1 x2", plstAt + 12},
    };
    const std::vector<sound::Marker> markers = sound::MarkersOf(*document);
    ASSERT_EQ(markers.size(), expected.size());
    for (std::size_t i = 0; i < markers.size(); ++i) {
        SCOPED_TRACE("marker " + std::to_string(i));
        EXPECT_EQ(markers[i].kind, expected[i].kind);
        EXPECT_EQ(markers[i].start, expected[i].start);
        EXPECT_EQ(markers[i].end, expected[i].end);
        EXPECT_EQ(markers[i].label, expected[i].label);
        EXPECT_EQ(markers[i].recordOffset, expected[i].recordOffset);
    }
}

// A loop's seam: its last frames, then its first, and the step between.
TEST(Markers, ALoopSeamJoinsItsEndToItsStart) {
    // 16-bit mono, frame f holding 100 f.
    std::string data;
    for (std::uint16_t f = 0; f < 100; ++f) data += U16(static_cast<std::uint16_t>(100 * f));
    const auto document = Loaded(RiffFile(Chunk("fmt ", Format(1, 1, 48000, 16)) + Chunk("data", data)));
    const auto loop = [](std::uint64_t start, std::uint64_t end) {
        return sound::Marker{sound::MarkerKind::Loop, start, end, "loop", 0};
    };
    struct Row {
        std::string what;
        sound::Marker loop;
        std::optional<std::uint64_t> side;  // frames each side; nothing: no seam
        double stepDecibels;
    };
    const std::vector<Row> rows{
        {"ten frames, all of them each side", loop(10, 19), 10, 20 * std::log10(900 / 32768.0)},
        {"a long loop, 48 frames each side", loop(0, 99), 48, 20 * std::log10(9900 / 32768.0)},
        {"one frame: no step", loop(10, 10), 1, -INFINITY},
        {"past the end of the audio", loop(90, 100), std::nullopt, 0},
        {"its start after its end", loop(20, 10), std::nullopt, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<sound::LoopSeam> seam = sound::LoopSeamOf(*document, row.loop);
        ASSERT_EQ(seam.has_value(), row.side.has_value());
        if (!seam) continue;
        EXPECT_EQ(seam->before, *row.side);
        EXPECT_EQ(seam->after, *row.side);
        ASSERT_EQ(seam->samples.size(), 2 * *row.side);
        EXPECT_FLOAT_EQ(seam->samples[*row.side - 1], static_cast<float>(100 * *row.loop.end) / 32768.0F);
        EXPECT_FLOAT_EQ(seam->samples[*row.side], static_cast<float>(100 * row.loop.start) / 32768.0F);
        ASSERT_EQ(seam->stepDecibels.size(), 1u);
        if (std::isfinite(row.stepDecibels)) {
            EXPECT_NEAR(seam->stepDecibels[0], row.stepDecibels, 1e-4);
        } else {
            EXPECT_EQ(seam->stepDecibels[0], row.stepDecibels);
        }
    }
}

// What each marker plays of a sound of 100 frames, and the frame heard as
// the plan goes on: never a frame past the end of the audio.
TEST(Markers, WhatAMarkerPlays) {
    using sound::MarkerKind;
    const auto marker = [](MarkerKind kind, std::uint64_t start, std::optional<std::uint64_t> end) {
        return sound::Marker{kind, start, end, "marker", 0};
    };
    struct Row {
        std::string what;
        sound::Marker marker;
        std::vector<std::uint64_t> heard;  // the frames heard first; none: not played
    };
    const std::vector<Row> rows{
        {"a cue point to the end", marker(MarkerKind::Cue, 97, std::nullopt), {97, 98, 99, 100, 100}},
        {"a region its span", marker(MarkerKind::Region, 10, 11), {10, 11, 12, 12}},
        {"a region cut at the end", marker(MarkerKind::Region, 98, 150), {98, 99, 100}},
        {"a segment its span", marker(MarkerKind::Segment, 5, 5), {5, 6}},
        {"a loop from the start, then the loop", marker(MarkerKind::Loop, 1, 2), {0, 1, 2, 1, 2, 1}},
        {"a loop of one frame", marker(MarkerKind::Loop, 0, 0), {0, 0, 0}},
        {"a cue point past the end", marker(MarkerKind::Cue, 100, std::nullopt), {}},
        {"a loop past the end", marker(MarkerKind::Loop, 90, 100), {}},
        {"a loop whose start comes after its end", marker(MarkerKind::Loop, 20, 10), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const sound::PlanVerdict verdict = sound::PlanOf(row.marker, 100);
        ASSERT_EQ(verdict.plan.has_value(), !row.heard.empty());
        EXPECT_EQ(verdict.unplayable.empty(), !row.heard.empty());
        for (std::size_t played = 0; played < row.heard.size(); ++played)
            EXPECT_EQ(verdict.plan->FrameOf(played), row.heard[played]) << "frame played " << played;
    }
}

// A loop played through a stream in pieces: frame f of the file holds 100 f.
TEST(Markers, APlayedLoopRepeatsItsFrames) {
    std::string data;
    for (std::uint16_t f = 0; f < 10; ++f) data += U16(static_cast<std::uint16_t>(100 * f));
    std::shared_ptr<const wavedoc::WaveDocument> document =
        Loaded(RiffFile(Chunk("fmt ", Format(1, 1, 48000, 16)) + Chunk("data", data)));
    sound::SampleFormat format;
    format.sampleRate = 48000;
    sound::PlayStream stream(std::shared_ptr<const wavedoc::WaveDocument>(document), format,
                             sound::PlayPlan{0, 4, 2});
    std::vector<float> heard;
    float piece[3];
    for (int read = 0; read < 4; ++read) {
        const std::size_t got = stream.Read(piece, 3);
        heard.insert(heard.end(), piece, piece + got);
    }
    std::vector<float> expected;
    for (const int f : {0, 1, 2, 3, 2, 3, 2, 3}) expected.push_back(static_cast<float>(100 * f) / 32768.0F);
    EXPECT_EQ(heard, expected);
}

// FFmpeg's peak envelope of a 440 Hz sine (8-bit values, both peaks, blocks
// of 64 frames) draws what the pass measures, to the envelope's precision.
TEST(PeakEnvelope, DrawsWhatThePassMeasures) {
    wavedoc::WaveDocument document;
    ASSERT_EQ(document.Load(wavtest::CorpusPath("ff-peak-fmt1.wav")), wavedoc::LoadOk);
    const std::optional<sound::Overview> envelope = sound::PeakEnvelopeOf(document);
    ASSERT_TRUE(envelope);
    EXPECT_EQ(envelope->buckets, 7u);
    EXPECT_EQ(envelope->frames, 7u * 64);  // the last block holds only 16 of the 400 frames
    sound::MeasureOptions options;
    options.buckets = 7;
    options.loudness = false;
    const sound::Measurement measured = sound::Measure(document, options);
    ASSERT_EQ(measured.overview.buckets, 7u);
    for (std::size_t b = 0; b < 6; ++b) {  // the last block holds only 16 frames
        SCOPED_TRACE("bucket " + std::to_string(b));
        EXPECT_NEAR(envelope->At(0, b).max, measured.overview.At(0, b).max, 1.5 / 128);
        EXPECT_NEAR(envelope->At(0, b).min, measured.overview.At(0, b).min, 1.5 / 128);
    }
    // A levl chunk of another channel count than the format's is not taken.
    std::string bytes = wavtest::ReadBytes(wavtest::CorpusPath("ff-peak-fmt1.wav"));
    bytes[878 + 8 + 16] = 2;
    wavedoc::WaveDocument other;
    ASSERT_EQ(other.LoadFromMemory(bytes, "two.wav"), wavedoc::LoadOk);
    EXPECT_FALSE(sound::PeakEnvelopeOf(other));
}

// A levl chunk's header and 16-bit peak values are read in the file's byte
// order: the same envelope from a RIFF file and its RIFX twin.
TEST(PeakEnvelope, ReadsInTheFilesByteOrder) {
    for (const bool rifx : {false, true}) {
        SCOPED_TRACE(rifx ? "RIFX" : "RIFF");
        const auto u32 = [rifx](std::uint32_t v) { return rifx ? BigU32(v) : U32(v); };
        const auto u16 = [rifx](std::uint16_t v) { return rifx ? BigU16(v) : U16(v); };
        // 16-bit values, positive peaks alone, blocks of 4 frames, 1 channel,
        // 2 peak frames, the peaks right after the 120-byte header.
        const std::string levl = u32(1) + u32(2) + u32(1) + u32(4) + u32(1) + u32(2) + u32(0) + u32(128) +
                                 std::string(28 + 60, '\0') + u16(0x4000) + u16(0x2000);
        const std::string audio(16, '\0');
        const std::string file = rifx ? RifxFile(BigChunk("fmt ", BigPcmFormat(1, 8000, 16)) +
                                                 BigChunk("levl", levl) + BigChunk("data", audio))
                                      : RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16)) + Chunk("levl", levl) +
                                                 Chunk("data", audio));
        wavedoc::WaveDocument document;
        ASSERT_EQ(document.LoadFromMemory(file, "levl.wav", nullptr, wavedoc::LoadForms::AnyForm),
                  wavedoc::LoadOk);
        const std::optional<sound::Overview> envelope = sound::PeakEnvelopeOf(document, 2);
        ASSERT_TRUE(envelope);
        EXPECT_EQ(envelope->frames, 8u);
        EXPECT_FLOAT_EQ(envelope->At(0, 0).max, 0.5F);
        EXPECT_FLOAT_EQ(envelope->At(0, 1).max, 0.25F);
    }
}

// Files whose format is missing or cut short still measure what can be
// measured, and the check finishes.
TEST(Measure, TheCheckFinishesWhateverTheFormatHolds) {
    const std::string peak = Chunk("PEAK", U32(1) + U32(0) + F32(0.5F) + U32(0));
    const std::string data = Chunk("data", std::string(8, '\0'));
    struct Row {
        std::string what;
        std::string file;
        bool measured;
    };
    const std::vector<Row> rows{
        {"a PEAK chunk without a fmt chunk", RiffFile(data + peak), false},
        {"an extensible format cut after cbSize",
         RiffFile(Chunk("fmt ", Format(0xFFFE, 1, 8000, 16) + U16(0)) + data + peak), false},
        {"PCM of 0 bits in blocks of 2 bytes, more audio than one of FFmpeg's packets",
         RiffFile(Chunk("fmt ", U16(1) + U16(1) + U32(8000) + U32(16000) + U16(2) + U16(0)) +
                  Chunk("data", std::string(5000, '\0'))),
         false},
        {"an extensible format without its sub-format",
         RiffFile(Chunk("fmt ", Extensible(1, 1, 16).substr(0, 26)) + data + peak), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.LoadFromMemory(row.file, "built.wav", &check), wavedoc::LoadOk);
        const report::MeasureWatch measuring;
        const report::CheckedFile checked = report::FinishCheck(check, document, &measuring);
        EXPECT_TRUE(checked.findings.Finished()) << checked.findings.unfinished;
        ASSERT_TRUE(checked.measured);
        EXPECT_EQ(checked.measured->Measured(), row.measured) << checked.measured->unmeasured;
    }
}

}  // namespace
