// What a file claims about its sound against the sound measured: the
// loudness values of a bext chunk of version 2, the peaks of a PEAK chunk.
// Both run only once the audio is measured (MeasuredSound).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/bext_layout.h"
#include "formats/peak_layout.h"
#include "wavecheck/checks.h"
#include "wavecheck/measured_sound.h"

namespace wavecheck::detail {
namespace {

namespace bext = formats::bext;

constexpr std::int16_t kNotMeasured = 0x7FFF;
// Silence, and loudness below the meter's absolute gate, measures as -inf;
// a stored value this low or lower says the same.
constexpr double kQuietest = -70.0;

// How far a stored loudness value may lie from the measured one: half a
// hundredth for the rounding of what is stored, and what two meters that
// conform to EBU Tech 3341 and 3342 may differ by (0.1 LU for the loudness
// values, 1 LU for the range, 0.4 dB for the true peak, whose oversampling
// meters do differently).
constexpr double kLoudnessSlack[] = {0.1, 1.0, 0.4, 0.1, 0.1};
constexpr double kRounding = 0.005;

std::string Figure(double value, const char* unit) {
    if (!std::isfinite(value)) return std::string("-inf ") + unit;
    char text[48];
    std::snprintf(text, sizeof text, "%.2f %s", value, unit);
    return text;
}

// A sample magnitude as the PEAK chunk gives it: a fraction of full scale.
std::string Magnitude(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::optional<double> MeasuredValue(const MeasuredSound::Loudness& loudness, std::size_t field) {
    const std::optional<double> values[] = {loudness.integrated, loudness.range, loudness.truePeak,
                                            loudness.maxMomentary, loudness.maxShortTerm};
    return values[field];
}

bool AllFinite(const MeasuredSound& measured) {
    return std::all_of(measured.channels.begin(), measured.channels.end(),
                       [](const MeasuredSound::Channel& channel) { return channel.AllFinite(); });
}

bool Agrees(double stored, double measured, double slack) {
    if (!std::isfinite(measured)) return stored <= kQuietest;
    return std::fabs(stored - measured) <= slack + kRounding;
}

// How far a stored peak may lie from the measured one: the step between
// two neighbouring codes of the format near full scale, twice over, since
// writers take the peak from the samples before they round them (and scale
// floats to integers by 2^(bits-1) - 1); for float samples, a float's
// precision.
double PeakSlack(const MeasuredSound& measured) {
    switch (measured.coding) {
        case SampleCoding::Integer:
            return 2.0 / std::ldexp(1.0, static_cast<int>(8 * measured.sampleBytes - 1));
        case SampleCoding::Float:
            return 1e-6;
        case SampleCoding::Companded:
            return 1024.0 / 32768.0;
    }
    return 0;
}

}  // namespace

// Samples that are not numbers measure as silence: the figures are not
// those of the sound a reader plays, and samples-not-finite tells of them.
void CheckLoudnessMismatch(const CheckInput& input, Report& report) {
    if (input.measured == nullptr || !input.measured->loudness || !AllFinite(*input.measured)) return;
    const MeasuredSound::Loudness& loudness = *input.measured->loudness;
    for (const wavedoc::MapEntry& entry : input.facts.metadata.bext) {
        if (entry.present < bext::kLoudnessEnd) continue;
        const wavedoc::FieldReader fixed = ContentFields(input, entry, bext::kLoudnessEnd);
        if (fixed.Unsigned16(bext::kVersion) < 2) continue;
        std::int16_t stored[std::size(bext::kLoudnessFields)];
        bool given = false;
        for (std::size_t i = 0; i < std::size(stored); ++i) {
            stored[i] = fixed.Signed16(bext::kLoudnessFields[i].field);
            given = given || (stored[i] != 0 && stored[i] != kNotMeasured);
        }
        // All zero: the writer left the fields as it found them.
        if (!given) continue;
        for (std::size_t i = 0; i < std::size(stored); ++i) {
            const std::optional<double> measured = MeasuredValue(loudness, i);
            if (stored[i] == kNotMeasured || !measured) continue;
            const bext::LoudnessField& field = bext::kLoudnessFields[i];
            if (Agrees(stored[i] / 100.0, *measured, kLoudnessSlack[i])) continue;
            const std::string unit(field.unit);
            report.Add(entry.offset, entry.id,
                       "The " + ChunkAt(entry) + " gives " + std::string(field.field.name) + " " +
                           bext::LoudnessText(stored[i], field.unit) + ", but the audio measures " +
                           Figure(*measured, unit.c_str()) + ".");
        }
    }
}

void CheckPeakMismatch(const CheckInput& input, Report& report) {
    const MeasuredSound* measured = input.measured;
    if (measured == nullptr || !measured->whole || input.facts.metadata.peak.empty()) return;
    namespace peak = formats::peak;
    const wavedoc::MapEntry& entry = input.facts.metadata.peak.front();
    const std::size_t channels = measured->channels.size();
    const std::vector<peak::ChannelPeak> peaks =
        peak::ReadPeaks(ReadContent(input, entry, 0, peak::RecordOffset(channels)), input.document.Order());
    const double slack = PeakSlack(*measured);
    for (std::size_t c = 0; c < peaks.size(); ++c) {
        const std::uint64_t at = peak::RecordOffset(c);
        const auto value = static_cast<double>(peaks[c].value);
        const std::uint32_t position = peaks[c].position;
        const MeasuredSound::Channel& figures = measured->channels[c];
        if (!figures.AllFinite()) continue;
        const std::string channel = "channel " + std::to_string(c + 1);
        const std::string audio = "the audio's peak is " + Magnitude(figures.peak) + ", first at frame " +
                                  std::to_string(figures.peakFrame);
        if (!(std::fabs(value - figures.peak) <= slack)) {
            report.AddRecord(entry.offset + at, entry.offset, entry.id,
                             "The " + ChunkAt(entry) + " gives the peak of " + channel + " as " +
                                 Magnitude(value) + " at frame " + std::to_string(position) + ", but " +
                                 audio + ".");
            continue;
        }
        const double there = figures.atClaimedPeak;
        if (position < measured->frames && std::fabs(there - figures.peak) <= slack) continue;
        const std::string where =
            position < measured->frames
                ? "where the sample is " + Magnitude(there)
                : "past the audio's " + text::Counted(measured->frames, "frame", "frames");
        report.AddRecord(entry.offset + at + peak::kPosition.offset, entry.offset, entry.id,
                         "The " + ChunkAt(entry) + " puts the peak of " + channel + " at frame " +
                             std::to_string(position) + ", " + where + "; " + audio + ".");
    }
}

void CheckSamplesNotFinite(const CheckInput& input, Report& report) {
    const MeasuredSound* measured = input.measured;
    if (measured == nullptr) return;
    const wavedoc::GenericChunk& data = input.document.Data();
    const std::uint64_t sampleBytes = measured->sampleBytes;
    const std::uint64_t frameBytes = sampleBytes * measured->channels.size();
    for (std::size_t c = 0; c < measured->channels.size(); ++c) {
        const MeasuredSound::Channel& channel = measured->channels[c];
        if (channel.AllFinite()) continue;
        const std::uint64_t at = data.Offset() + wavedoc::layout::kChunkHeaderSize +
                                 channel.firstNotFinite * frameBytes + c * sampleBytes;
        report.AddRecord(at, data.Offset(), data.Name(),
                         "Channel " + std::to_string(c + 1) + " holds " +
                             NotFiniteCounts(channel.notANumber, channel.infinite) + ", the first at frame " +
                             std::to_string(channel.firstNotFinite) +
                             ": readers play them as full-scale noise or as silence, each as it likes; they "
                             "are measured as silence.");
    }
}

}  // namespace wavecheck::detail

namespace wavecheck {

std::string NotFiniteCounts(std::uint64_t notANumber, std::uint64_t infinite) {
    std::string counts;
    if (notANumber > 0) counts = text::GroupedCounted(notANumber, "NaN sample", "NaN samples");
    if (infinite > 0) {
        counts += (counts.empty() ? "" : " and ") +
                  text::GroupedCounted(infinite, "infinite sample", "infinite samples");
    }
    return counts;
}

std::vector<std::uint64_t> ClaimedPeakFrames(const wavedoc::WaveDocument& document, const SoundClaims& claims,
                                             unsigned channels) {
    std::vector<std::uint64_t> frames;
    if (claims.peak.empty()) return frames;
    namespace peak = formats::peak;
    const wavedoc::MapEntry& entry = claims.peak.front();
    const std::uint64_t records = std::min<std::uint64_t>(peak::RecordsIn(entry.present), channels);
    const std::string content = document.Source()->Read(entry.offset + wavedoc::layout::kChunkHeaderSize,
                                                        peak::RecordOffset(records));
    for (const peak::ChannelPeak& record : peak::ReadPeaks(content, document.Order())) {
        frames.push_back(record.position);
    }
    return frames;
}

}  // namespace wavecheck
