#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sound/sample_format.h"

namespace sound {

// EBU R 128 figures, as libebur128 measures them. A figure of silence is
// -infinity.
struct Loudness {
    double integrated = 0;    // LUFS
    double range = 0;         // LU
    double truePeak = 0;      // dBTP, the highest of every channel
    double maxMomentary = 0;  // LUFS, the highest 400 ms loudness, taken every 100 ms
    double maxShortTerm = 0;  // LUFS, the highest 3 s loudness, taken every 100 ms
};

// Feeds decoded frames to libebur128, taking the momentary and short-term
// loudness every 100 ms of audio for their maxima. Channels are weighted by
// the extensible format's speaker mask when it has one (the low-frequency
// channel left out, surround and back channels at +1.5 dB), else as
// libebur128 weights its usual layouts.
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
    Loudness Finish() const;

    // What libebur128's 3 s windows may take of memory.
    static constexpr std::uint64_t kMostWindowBytes = 20 << 20;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace sound
