#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sound/loudness_meter.h"
#include "sound/sample_decoder.h"
#include "sound/sample_format.h"

namespace wavedoc {
class WaveDocument;
}

// One streaming pass over the audio of a data chunk: decoded in bounded
// pieces from the document's source, it feeds an overview of each channel,
// the sample peaks and clipped samples, and the loudness meter.
namespace sound {

// The lowest, highest and root-mean-square sample of a run of frames.
struct Bucket {
    float min = 0;
    float max = 0;
    float rms = 0;
};

// The overview of frames [first, first + frames): `buckets` runs of about
// equal length per channel, bucket b of channel c at values[c * buckets + b].
struct Overview {
    std::uint64_t first = 0;
    std::uint64_t frames = 0;
    std::size_t buckets = 0;
    unsigned channels = 0;
    std::vector<Bucket> values;

    const Bucket& At(unsigned channel, std::size_t bucket) const {
        return values[channel * buckets + bucket];
    }
    // The first frame of a bucket.
    std::uint64_t Start(std::size_t bucket) const;
};

struct ChannelFigures {
    float peak = 0;               // the largest magnitude, full scale being 1
    std::uint64_t peakFrame = 0;  // the first frame where it occurs
    std::uint64_t clipped = 0;    // samples at or beyond full scale (ClipLevels)
};

struct MeasureOptions {
    // The frames to read; by default the whole data chunk. Loudness is
    // measured only over the whole of it.
    std::uint64_t firstFrame = 0;
    std::optional<std::uint64_t> frameCount;
    std::size_t buckets = 2048;  // per channel, at most kMostOverviewValues over all channels
    bool loudness = true;
    std::size_t pieceBytes = 1 << 20;  // how much is read at once
    // For each channel, a frame whose sample magnitude is noted in `watched`
    // (to compare with where a PEAK chunk says the peak is).
    std::vector<std::uint64_t> watch;
    // Told a few times a second at most, and at the end, how many bytes of
    // how many are read; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Told with the progress, on the pass's own thread, the overview of the
    // buckets read whole so far, for a view to draw as the pass goes; may be
    // empty.
    std::function<void(const Overview& sofar)> overviewSoFar;
    // Set by another thread to stop the pass at the next piece.
    const std::atomic<bool>* cancel = nullptr;
    // How many processors the pass may keep busy: with more than one, the
    // loudness and the true peaks (a meter for each of up to that many groups
    // of channels) are measured on threads of their own while the next piece
    // is read and decoded. The figures are the same whatever it is.
    unsigned threads = 1;
};

inline constexpr std::size_t kMostOverviewValues = 1 << 19;

struct Measurement {
    // Why the audio is not measured (a codec Ondulo does not decode, no
    // format), one sentence naming the file; empty when it is.
    std::string unmeasured;
    SampleFormat format;
    std::uint64_t frames = 0;      // in the range measured
    std::uint64_t framesRead = 0;  // of them, how many the pass got to
    bool stopped = false;          // cancelled before the end
    std::vector<ChannelFigures> channels;
    std::vector<NotFinite> notFinite;  // per channel: float samples that are NaN or infinite
    std::optional<Loudness> loudness;
    std::string loudnessUnmeasured;  // why loudness is missing, when it is and the audio is measured
    Overview overview;
    std::vector<float> watched;  // the magnitudes at MeasureOptions::watch, 0 past the end

    bool Measured() const { return unmeasured.empty(); }
};

// The whole frames the data chunk holds, for a format.
std::uint64_t FramesOf(const wavedoc::WaveDocument& document, const SampleFormat& format);

// Runs the pass. A read the source refuses (the file changed) raises
// wavedoc::WaveDocError as any read does, and so does a file found changed
// once the pass has read it to its end: its figures would be of no one
// version of the file.
Measurement Measure(const wavedoc::WaveDocument& document, const MeasureOptions& options = {});

}  // namespace sound
