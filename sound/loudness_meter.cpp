#include "sound/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

#include "sound/channel_roles.h"

namespace sound {
namespace {

constexpr std::uint32_t kLowestRate = 16;
constexpr std::uint32_t kHighestRate = 2822400;
constexpr double kSilence = -std::numeric_limits<double>::infinity();
// The 100 ms steps each window spans, and the steps of a minute.
constexpr std::uint64_t kMomentarySteps = 4;
constexpr std::uint64_t kShortTermSteps = 30;
constexpr std::uint64_t kJudgedRangeSteps = 600;

int EbuChannel(LoudnessWeight weight) {
    switch (weight) {
        case LoudnessWeight::Full:
            return EBUR128_CENTER;
        case LoudnessWeight::Surround:
            return EBUR128_LEFT_SURROUND;
        case LoudnessWeight::LeftOut:
            return EBUR128_UNUSED;
    }
    return EBUR128_UNUSED;
}

constexpr unsigned long kStepMilliseconds = 100;
// BS.1770's offset between a weighted mean square and its loudness.
constexpr double kLoudnessOffset = -0.691;

double Decibels(double linear) { return linear > 0 ? 20 * std::log10(linear) : kSilence; }

double LoudnessEnergy(double loudness) {
    return std::isfinite(loudness) ? std::pow(10.0, (loudness - kLoudnessOffset) / 10) : 0.0;
}
double EnergyLoudness(double energy) {
    return energy > 0 ? 10 * std::log10(energy) + kLoudnessOffset : kSilence;
}

// A libebur128 state, destroyed with its owner.
struct Ebur128 {
    ebur128_state* state = nullptr;

    Ebur128(unsigned channels, std::uint32_t rate, int mode) : state(ebur128_init(channels, rate, mode)) {
        if (state == nullptr) throw std::bad_alloc();
    }
    ~Ebur128() { ebur128_destroy(&state); }
    Ebur128(const Ebur128&) = delete;
    Ebur128& operator=(const Ebur128&) = delete;

    void Add(const float* frames, std::size_t count) const {
        if (ebur128_add_frames_float(state, frames, count) != EBUR128_SUCCESS) throw std::bad_alloc();
    }
};

}  // namespace

struct LoudnessMeter::State {
    Ebur128 meter;
    unsigned channels = 0;
    std::size_t framesPer100Ms = 1;
    std::size_t untilStep = 1;
    std::uint64_t steps = 0;  // 100 ms steps of audio taken
    // The weighted mean square of the last kShortTermSteps steps, the
    // newest at steps % kShortTermSteps.
    std::array<double, kShortTermSteps> stepEnergy{};
    double maxMomentary = kSilence;
    double maxShortTerm = kSilence;

    explicit State(const SampleFormat& format)
        : meter(format.channels, format.sampleRate,
                EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S),
          channels(format.channels),
          // As libebur128 rounds it, so that a step ends where its blocks do.
          framesPer100Ms(std::max<std::size_t>(1, (format.sampleRate + 5) / 10)),
          untilStep(framesPer100Ms) {}

    // The mean of the last `count` steps' energies, as loudness.
    double LoudnessOfLast(std::uint64_t count) const {
        double sum = 0;
        for (std::uint64_t i = 0; i < count; ++i) sum += stepEnergy[(steps - i) % kShortTermSteps];
        return EnergyLoudness(sum / static_cast<double>(count));
    }

    // Every 100 ms: the momentary and short-term loudness, once their
    // windows lie wholly within the audio. Each is the mean of the energies
    // of the 100 ms steps its window spans, each step's read from
    // libebur128 once, rather than asking it to sum its 400 ms and 3 s
    // windows anew every step, which costs the meter more than the rest of
    // its work.
    void Step() {
        ++steps;
        double step = kSilence;
        if (ebur128_loudness_window(meter.state, kStepMilliseconds, &step) != EBUR128_SUCCESS)
            step = kSilence;
        stepEnergy[steps % kShortTermSteps] = LoudnessEnergy(step);
        if (steps >= kMomentarySteps) maxMomentary = std::max(maxMomentary, LoudnessOfLast(kMomentarySteps));
        if (steps >= kShortTermSteps) maxShortTerm = std::max(maxShortTerm, LoudnessOfLast(kShortTermSteps));
    }
};

std::string LoudnessMeter::Refusal(const SampleFormat& format) {
    if (format.sampleRate < kLowestRate || format.sampleRate > kHighestRate) {
        return "its sample rate of " + std::to_string(format.sampleRate) + " Hz is outside the " +
               std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) +
               " Hz the loudness meter takes";
    }
    const std::uint64_t window = std::uint64_t{format.channels} * format.sampleRate *
                                 static_cast<std::uint64_t>(kShortTermSeconds) * sizeof(double);
    if (window > kMostWindowBytes) {
        return std::to_string(format.channels) + " channels at " + std::to_string(format.sampleRate) +
               " Hz would need more than " + std::to_string(kMostWindowBytes >> 20) +
               " MB for the loudness meter's windows";
    }
    return {};
}

LoudnessMeter::LoudnessMeter(const SampleFormat& format) : state_(std::make_unique<State>(format)) {
    const std::vector<ChannelRole> roles = ChannelRolesOf(format);
    for (unsigned channel = 0; channel < format.channels; ++channel)
        ebur128_set_channel(state_->meter.state, channel, EbuChannel(roles[channel].weight));
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const float* frames, std::size_t count) {
    State& state = *state_;
    while (count > 0) {
        const std::size_t now = std::min(count, state.untilStep);
        state.meter.Add(frames, now);
        frames += now * state.channels;
        count -= now;
        state.untilStep -= now;
        if (state.untilStep > 0) continue;
        state.untilStep = state.framesPer100Ms;
        state.Step();
    }
}

Loudness LoudnessMeter::Finish(double truePeak) const {
    const State& state = *state_;
    Loudness loudness;
    loudness.truePeak = Decibels(truePeak);
    const bool silent = !(truePeak > 0);
    if (state.steps >= kMomentarySteps) {
        double integrated = kSilence;
        if (ebur128_loudness_global(state.meter.state, &integrated) != EBUR128_SUCCESS) integrated = kSilence;
        loudness.integrated = integrated;
        loudness.maxMomentary = state.maxMomentary;
    } else if (silent) {
        loudness.integrated = kSilence;
    }
    if (state.steps >= kShortTermSteps) {
        double range = 0;
        if (ebur128_loudness_range(state.meter.state, &range) != EBUR128_SUCCESS) range = 0;
        loudness.range = range;
        loudness.maxShortTerm = state.maxShortTerm;
    }
    loudness.rangeJudged = state.steps >= kJudgedRangeSteps;
    return loudness;
}

struct TruePeakMeter::State {
    Ebur128 meter;
    unsigned first = 0;
    unsigned count = 0;
    unsigned stride = 0;
    std::vector<float> own;  // its channels of a piece, when it has not all of them

    State(const SampleFormat& format, unsigned firstChannel, unsigned channels)
        : meter(channels, format.sampleRate, EBUR128_MODE_TRUE_PEAK),
          first(firstChannel),
          count(channels),
          stride(format.channels) {}
};

TruePeakMeter::TruePeakMeter(const SampleFormat& format, unsigned first, unsigned count)
    : state_(std::make_unique<State>(format, first, count)) {
    // The peaks need no weighting filter: a channel of no weight skips it.
    for (unsigned channel = 0; channel < count; ++channel)
        ebur128_set_channel(state_->meter.state, channel, EBUR128_UNUSED);
}

TruePeakMeter::~TruePeakMeter() = default;

void TruePeakMeter::Add(const float* frames, std::size_t count) {
    State& state = *state_;
    if (state.count == state.stride) {
        state.meter.Add(frames, count);
        return;
    }
    state.own.resize(count * state.count);
    for (std::size_t f = 0; f < count; ++f) {
        const float* from = frames + f * state.stride + state.first;
        std::copy(from, from + state.count, state.own.begin() + static_cast<std::ptrdiff_t>(f * state.count));
    }
    state.meter.Add(state.own.data(), count);
}

double TruePeakMeter::Highest() const {
    double highest = 0;
    for (unsigned channel = 0; channel < state_->count; ++channel) {
        double peak = 0;
        if (ebur128_true_peak(state_->meter.state, channel, &peak) == EBUR128_SUCCESS)
            highest = std::max(highest, peak);
    }
    return highest;
}

}  // namespace sound
