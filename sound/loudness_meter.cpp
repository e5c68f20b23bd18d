#include "sound/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace sound {
namespace {

constexpr std::uint32_t kLowestRate = 16;
constexpr std::uint32_t kHighestRate = 2822400;
constexpr std::uint64_t kShortTermSeconds = 3;
constexpr double kSilence = -std::numeric_limits<double>::infinity();

// The speaker of each bit of an extensible channel mask, as BS.1770 weights it.
int SpeakerOfBit(unsigned bit) {
    switch (bit) {
        case 0:
            return EBUR128_LEFT;
        case 1:
            return EBUR128_RIGHT;
        case 3:  // low frequency
            return EBUR128_UNUSED;
        case 4:   // back left
        case 5:   // back right
        case 8:   // back centre
        case 9:   // side left
        case 10:  // side right
        case 15:  // top back left
        case 16:  // top back centre
        case 17:  // top back right
            return EBUR128_LEFT_SURROUND;
        default:
            return EBUR128_CENTER;
    }
}

double Decibels(double linear) { return linear > 0 ? 20 * std::log10(linear) : kSilence; }

}  // namespace

struct LoudnessMeter::State {
    ebur128_state* meter = nullptr;
    unsigned channels = 0;
    std::size_t framesPer100Ms = 1;
    std::size_t untilPoll = 1;
    double maxMomentary = kSilence;
    double maxShortTerm = kSilence;

    ~State() {
        if (meter != nullptr) ebur128_destroy(&meter);
    }
};

std::string LoudnessMeter::Refusal(const SampleFormat& format) {
    if (format.sampleRate < kLowestRate || format.sampleRate > kHighestRate) {
        return "its sample rate of " + std::to_string(format.sampleRate) + " Hz is outside the " +
               std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) +
               " Hz the loudness meter takes";
    }
    const std::uint64_t window =
        std::uint64_t{format.channels} * format.sampleRate * kShortTermSeconds * sizeof(double);
    if (window > kMostWindowBytes) {
        return std::to_string(format.channels) + " channels at " + std::to_string(format.sampleRate) +
               " Hz would need more than " + std::to_string(kMostWindowBytes >> 20) +
               " MB for the loudness meter's windows";
    }
    return {};
}

LoudnessMeter::LoudnessMeter(const SampleFormat& format) : state_(std::make_unique<State>()) {
    state_->channels = format.channels;
    state_->meter = ebur128_init(
        format.channels, format.sampleRate,
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_M | EBUR128_MODE_S);
    if (state_->meter == nullptr) throw std::bad_alloc();
    if (format.channelMask != 0) {
        unsigned channel = 0;
        for (unsigned bit = 0; bit < 32 && channel < format.channels; ++bit) {
            if ((format.channelMask >> bit & 1U) == 0) continue;
            ebur128_set_channel(state_->meter, channel++, SpeakerOfBit(bit));
        }
        // Channels beyond the mask's speakers stand for no particular place.
        for (; channel < format.channels; ++channel)
            ebur128_set_channel(state_->meter, channel, EBUR128_CENTER);
    }
    state_->framesPer100Ms = std::max<std::size_t>(1, format.sampleRate / 10);
    state_->untilPoll = state_->framesPer100Ms;
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const float* frames, std::size_t count) {
    State& state = *state_;
    while (count > 0) {
        const std::size_t now = std::min(count, state.untilPoll);
        if (ebur128_add_frames_float(state.meter, frames, now) != EBUR128_SUCCESS) throw std::bad_alloc();
        frames += now * state.channels;
        count -= now;
        state.untilPoll -= now;
        if (state.untilPoll > 0) continue;
        state.untilPoll = state.framesPer100Ms;
        double value = kSilence;
        if (ebur128_loudness_momentary(state.meter, &value) == EBUR128_SUCCESS) {
            state.maxMomentary = std::max(state.maxMomentary, value);
        }
        if (ebur128_loudness_shortterm(state.meter, &value) == EBUR128_SUCCESS) {
            state.maxShortTerm = std::max(state.maxShortTerm, value);
        }
    }
}

Loudness LoudnessMeter::Finish() const {
    Loudness loudness;
    ebur128_state* meter = state_->meter;
    if (ebur128_loudness_global(meter, &loudness.integrated) != EBUR128_SUCCESS)
        loudness.integrated = kSilence;
    if (ebur128_loudness_range(meter, &loudness.range) != EBUR128_SUCCESS) loudness.range = 0;
    double highest = 0;
    for (unsigned channel = 0; channel < state_->channels; ++channel) {
        double peak = 0;
        if (ebur128_true_peak(meter, channel, &peak) == EBUR128_SUCCESS) highest = std::max(highest, peak);
    }
    loudness.truePeak = Decibels(highest);
    loudness.maxMomentary = state_->maxMomentary;
    loudness.maxShortTerm = state_->maxShortTerm;
    return loudness;
}

}  // namespace sound
