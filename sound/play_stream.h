#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sound/markers.h"
#include "sound/sample_format.h"

namespace wavedoc {
class WaveDocument;
}

namespace sound {

// What is played: frames [first, end) of the audio, then, for a sampler
// loop, frames [loopStart, end) again and again until stopped.
struct PlayPlan {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    std::optional<std::uint64_t> loopStart;

    // The frame of the audio heard as the `played`th frame of the plan; at
    // the end of a plan without a loop, its end.
    std::uint64_t FrameOf(std::uint64_t played) const;
};

// The plan for a marker of a sound of `frames` frames, or one sentence
// saying why it cannot be played. A cue point plays from its frame to the
// end, a region or a playlist segment its span (cut at the end of the
// audio), a sampler loop as a sampler plays a note: from the start of the
// audio through the loop's end, then the loop.
struct PlanVerdict {
    std::optional<PlayPlan> plan;
    std::string unplayable;
};
PlanVerdict PlanOf(const Marker& marker, std::uint64_t frames);

// Decodes the frames of a plan in small pieces, each read from the
// document's source as it is asked for, so that what is played is never
// held whole. The samples are those the overview and the meters decode.
class PlayStream {
public:
    PlayStream(std::shared_ptr<const wavedoc::WaveDocument> document, const SampleFormat& format,
               const PlayPlan& plan);

    // Up to `frames` frames of the plan (at most one piece), interleaved with
    // every channel of the file, into `out`; how many were decoded, 0 at the
    // end. Raises WaveDocError when the file can no longer be read, or holds
    // less audio than when it was analysed.
    std::size_t Read(float* out, std::size_t frames);
    // The most frames one Read gives.
    std::size_t PieceFrames() const { return pieceFrames_; }

private:
    std::shared_ptr<const wavedoc::WaveDocument> document_;
    SampleFormat format_;
    PlayPlan plan_;
    std::size_t pieceFrames_;
    std::uint64_t next_;  // the next frame of the audio to play
    bool ended_ = false;
};

}  // namespace sound
