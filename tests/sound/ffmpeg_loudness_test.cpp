// The loudness and true peak of the shared collections' PCM and float files
// against FFmpeg's ebur128 filter, as scripts/ffmpeg-loudness.sh recorded
// them in data/ffmpeg_loudness.tsv (FFmpeg prints one decimal).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "sound/measure.h"
#include "support/corpus.h"
#include "wavedoc/document/wave_document.h"

namespace {

// FFmpeg's summary gives -70.0 LUFS for audio below the absolute gate or
// shorter than one 400 ms block, and -inf for a true peak of silence.
constexpr double kFfmpegGate = -70.0;
constexpr double kTolerance = 0.1;

struct Expected {
    std::string file;
    std::string integrated;
    std::string truePeak;
};

std::vector<Expected> ReadTable() {
    std::ifstream in(std::string(ONDULO_TEST_DATA_DIR) + "/ffmpeg_loudness.tsv");
    std::vector<Expected> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Expected row;
        std::getline(fields, row.file, '\t');
        std::getline(fields, row.integrated, '\t');
        std::getline(fields, row.truePeak, '\t');
        rows.push_back(row);
    }
    return rows;
}

// Where FFmpeg reads other samples than the file holds, and why; neither
// figure is compared.
const std::map<std::string, std::string> kReadApart{
    {"corpus/wavefile-js_RIFX-16bit-mono.wav",
     "FFmpeg 5.1 decodes the samples of this RIFX file as little-endian (ffprobe says pcm_s16le); most "
     "significant byte first, as RIFX stores them, they form a smooth wave (28, -97, 177, 358, 998 ...)"},
    {"corpus2/reaper-3-markers-3-regions-overlapping_stripped.wav",
     "its data chunk's size is 0; FFmpeg then takes the chunks after it for audio"},
    {"corpus2/reaper-marker-region-not-only-starting-with-num_stripped.wav",
     "its data chunk's size is 0; FFmpeg then takes the chunks after it for audio"},
    {"corpus2/arecord-float.wav",
     "its float samples reach 1e38; the pass holds them to 1000 (60 dB), FFmpeg gives 731 dB"},
};

// Files at 48 kHz whose true peak FFmpeg's own oversampling (a resampler to
// 192 kHz) reads otherwise than libebur128's polyphase filter, and why the
// figure of the pass is the one to trust.
const std::map<std::string, std::string> kTruePeakApart{
    {"corpus/wavrw_1khz_sine_48k_mono_region_marker.wav",
     "a 1 kHz sine: its true peak is its amplitude, -11.45 dBFS, which the pass gives within 0.01 dB; FFmpeg "
     "reads 0.24 dB over"},
    {"corpus/wavrw_example_a.wav", "the same 1 kHz sine as wavrw_1khz_sine_48k_mono_region_marker.wav"},
    {"corpus/wavinfo_STE-000.wav",
     "a signal of a few least significant bits (sample peak -78.3 dBFS): the two oversamplers differ by 0.11 "
     "dB"},
    {"corpus2/pywave-s24-stereo.wav",
     "a test signal that steps from sample to sample at full scale, where oversampling filters differ most "
     "(0.35 dB)"},
};

// FFmpeg's meter takes 48 kHz alone: it resamples other rates first, so its
// true peak is that of other samples, and its integrated loudness of a
// short file may gate other blocks. These files, at 11025 Hz and under 2 s,
// are where that moves it by more than 0.1 LU.
constexpr std::uint32_t kFfmpegRate = 48000;
const std::set<std::string> kShortResampled{
    "corpus2/deb-circuslinux-wahoo.wav",     "corpus2/deb-netpanzer-battle_shell1.wav",
    "corpus2/deb-netpanzer-move_yessir.wav", "corpus2/deb-njam-mapend2.wav",
    "corpus2/deb-njam-trapdoor.wav",         "corpus2/deb-tuxpaint-save.wav",
};

std::string Disagreement(const std::string& what, double ours, const std::string& theirs) {
    const double expected = theirs == "-inf" ? -INFINITY : std::stod(theirs);
    if (what == "integrated" && expected <= kFfmpegGate) {
        if (!std::isfinite(ours) || ours <= kFfmpegGate + kTolerance) return {};
    } else if (!std::isfinite(expected)) {
        if (!std::isfinite(ours)) return {};
    } else if (std::fabs(ours - expected) <= kTolerance + 1e-9) {
        return {};
    }
    return what + " " + std::to_string(ours) + ", FFmpeg " + theirs;
}

TEST(FfmpegLoudness, TheCollectionsMeasureAsFfmpegDoes) {
    if (!std::filesystem::is_directory(wavtest::SharedDir() + "/corpus"))
        GTEST_SKIP() << "no shared collections";
    const std::vector<Expected> rows = ReadTable();
    ASSERT_GT(rows.size(), 150u);
    int compared = 0;
    int integratedCompared = 0;
    int truePeakCompared = 0;
    for (const Expected& row : rows) {
        if (row.integrated == "-" || kReadApart.contains(row.file)) continue;
        SCOPED_TRACE(row.file);
        wavedoc::WaveDocument document;
        if (document.Load(wavtest::SharedDir() + "/" + row.file, nullptr, wavedoc::LoadForms::AnyForm) !=
            wavedoc::LoadOk) {
            continue;
        }
        const sound::Measurement measured = sound::Measure(document, {});
        if (!measured.Measured() || !measured.loudness) continue;
        ++compared;
        const bool sameRate = measured.format.sampleRate == kFfmpegRate;
        const bool integratedApart = kShortResampled.contains(row.file);
        integratedCompared += integratedApart ? 0 : 1;
        truePeakCompared += sameRate && !kTruePeakApart.contains(row.file) ? 1 : 0;
        const std::string integrated =
            !integratedApart ? Disagreement("integrated", measured.loudness->integrated.value_or(-INFINITY),
                                            row.integrated)
                             : "";
        // At other rates FFmpeg's true peak is that of the resampled audio.
        const std::string truePeak =
            sameRate && !kTruePeakApart.contains(row.file)
                ? Disagreement("true peak", measured.loudness->truePeak, row.truePeak)
                : "";
        // Whatever the rate, a true peak is never below the sample peak.
        float samplePeak = 0;
        for (const sound::ChannelFigures& channel : measured.channels)
            samplePeak = std::max(samplePeak, channel.peak);
        if (samplePeak > 0) {
            EXPECT_GE(measured.loudness->truePeak, 20 * std::log10(samplePeak) - 0.01);
        }
        EXPECT_TRUE(integrated.empty() && truePeak.empty())
            << row.file << ": " << integrated << " " << truePeak;
    }
    EXPECT_GT(compared, 120);
    EXPECT_GT(integratedCompared, 150);
    EXPECT_GE(truePeakCompared, 10);
    std::cout << compared << " files measured; integrated loudness compared on " << integratedCompared
              << ", true peak on " << truePeakCompared << "\n";
}

}  // namespace
