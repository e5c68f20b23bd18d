#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sound/sample_format.h"

namespace sound {

// The shortest audio each figure is given for: the momentary window holds
// 0.4 s and the short-term window 3 s; a window that reached back before the
// file would count that time as silence. The loudness range is judged (held
// against a stored one) only from a minute on: below that it rests on fewer
// than 60 short-term blocks, taken a second apart, so its 10 % and 95 %
// points are single blocks, and meters that take them at other moments
// differ by several LU.
inline constexpr double kMomentarySeconds = 0.4;
inline constexpr double kShortTermSeconds = 3;
inline constexpr double kJudgedRangeSeconds = 60;

// EBU R 128 figures, as libebur128 measures them.
struct Loudness {
    // LUFS; -infinity for silence and for audio below the -70 LUFS gate;
    // nothing for audio that is not silent but shorter than one 400 ms
    // block, too short to gate.
    std::optional<double> integrated;
    std::optional<double> range;  // LU; nothing under 3 s
    bool rangeJudged = false;     // the audio lasts kJudgedRangeSeconds or more
    double truePeak = 0;          // dBTP, the highest of every channel; -infinity for silence
    std::optional<double>
        maxMomentary;  // LUFS, the highest 400 ms loudness, taken every 100 ms; nothing under 0.4 s
    std::optional<double>
        maxShortTerm;  // LUFS, the highest 3 s loudness, taken every 100 ms; nothing under 3 s
};

// Feeds decoded frames to libebur128 for the integrated loudness, its range
// and the momentary and short-term loudness, taken every 100 ms of audio for
// their maxima. Each channel weighs as ChannelRolesOf says. The true peak
// is TruePeakMeter's, so that the two can run side by side.
class LoudnessMeter {
public:
    // Why a format cannot be measured (a sample rate libebur128 does not take,
    // more channels than its windows fit in kMostWindowBytes), or empty.
    static std::string Refusal(const SampleFormat& format);

    explicit LoudnessMeter(const SampleFormat& format);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void Add(const float* frames, std::size_t count);
    // Every figure but the true peak, given `truePeak` (linear, full scale 1).
    Loudness Finish(double truePeak) const;

    // What libebur128's 3 s windows may take of memory.
    static constexpr std::uint64_t kMostWindowBytes = 20 << 20;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The true peak (4 times oversampled, as libebur128 does it) of channels
// [first, first + count) of interleaved frames of `channels` channels.
class TruePeakMeter {
public:
    TruePeakMeter(const SampleFormat& format, unsigned first, unsigned count);
    ~TruePeakMeter();
    TruePeakMeter(const TruePeakMeter&) = delete;
    TruePeakMeter& operator=(const TruePeakMeter&) = delete;

    void Add(const float* frames, std::size_t count);
    // The highest of its channels, linear; at least the sample peak.
    double Highest() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace sound
