#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "wavedoc/document/structure_map.h"

namespace wavedoc {
class WaveDocument;
}

// What the check compares a file's claims about its sound with: the chunks
// that make such claims, as the walk met them, and the figures of the sound
// as measured. The check needs nothing of how the sound was measured, only
// these plain figures.
namespace wavecheck {

// The chunks that say what the sound is: the first few bext chunks (their
// loudness values) and PEAK chunks (each channel's peak and where it lies).
struct SoundClaims {
    std::vector<wavedoc::MapEntry> bext;
    std::vector<wavedoc::MapEntry> peak;
};

// How the samples are coded, which decides how far a stored peak may lie
// from the measured one.
enum class SampleCoding { Integer, Float, Companded };

// The measured figures that a bext chunk's loudness and a PEAK chunk's
// peaks are compared with.
struct MeasuredSound {
    struct Loudness {
        double integrated = 0;  // LUFS; -infinity for silence
        double range = 0;       // LU
        double truePeak = 0;    // dBTP
        double maxMomentary = 0;
        double maxShortTerm = 0;
    };
    struct Channel {
        double peak = 0;              // the largest magnitude, full scale being 1
        std::uint64_t peakFrame = 0;  // the first frame where it occurs
        // The magnitude at the frame the PEAK chunk names for this channel;
        // 0 when it names none or a frame past the audio.
        double atClaimedPeak = 0;
    };
    std::optional<Loudness> loudness;  // when the loudness was measured
    SampleCoding coding = SampleCoding::Integer;
    unsigned sampleBytes = 2;
    std::uint64_t frames = 0;
    // Every frame of the audio was read: only then are peaks compared.
    bool whole = false;
    std::vector<Channel> channels;
};

// For each of the first `channels` channels, the frame where the first PEAK
// chunk says its peak lies, for the measuring pass to note the sample
// there; fewer when the chunk holds fewer. Reads the file as any read does.
std::vector<std::uint64_t> ClaimedPeakFrames(const wavedoc::WaveDocument& document, const SoundClaims& claims,
                                             unsigned channels);

}  // namespace wavecheck
