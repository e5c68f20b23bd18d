#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
    // Each figure, or nothing when it was not measured (audio too short
    // for its window, a range too short to judge): a stored value is then
    // not compared.
    struct Loudness {
        std::optional<double> integrated;  // LUFS; -infinity for silence
        std::optional<double> range;       // LU
        double truePeak = 0;               // dBTP
        std::optional<double> maxMomentary;
        std::optional<double> maxShortTerm;
    };
    struct Channel {
        double peak = 0;              // the largest magnitude, full scale being 1
        std::uint64_t peakFrame = 0;  // the first frame where it occurs
        // The magnitude at the frame the PEAK chunk names for this channel;
        // 0 when it names none or a frame past the audio.
        double atClaimedPeak = 0;
        // Float samples that hold NaN or an infinity (measured as silence),
        // and the first frame holding one.
        std::uint64_t notANumber = 0;
        std::uint64_t infinite = 0;
        std::uint64_t firstNotFinite = 0;

        bool AllFinite() const { return notANumber == 0 && infinite == 0; }
    };
    std::optional<Loudness> loudness;  // when the loudness was measured
    SampleCoding coding = SampleCoding::Integer;
    unsigned sampleBytes = 2;
    std::uint64_t frames = 0;
    // Every frame of the audio was read: only then are peaks compared.
    bool whole = false;
    std::vector<Channel> channels;
};

// "3 NaN samples and 1 infinite sample": what a channel's samples that are
// not numbers come to.
std::string NotFiniteCounts(std::uint64_t notANumber, std::uint64_t infinite);

// For each of the first `channels` channels, the frame where the first PEAK
// chunk says its peak lies, for the measuring pass to note the sample
// there; fewer when the chunk holds fewer. Reads the file as any read does.
std::vector<std::uint64_t> ClaimedPeakFrames(const wavedoc::WaveDocument& document, const SoundClaims& claims,
                                             unsigned channels);

}  // namespace wavecheck
