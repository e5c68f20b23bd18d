#include "sound/play_stream.h"

#include <algorithm>

#include "sound/measure.h"
#include "sound/sample_decoder.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace sound {
namespace {

// The most bytes one piece reads: small enough for the window's thread.
constexpr std::uint64_t kPieceBytes = 64 * 1024;

PlanVerdict Unplayable(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

std::uint64_t PlayPlan::FrameOf(std::uint64_t played) const {
    const std::uint64_t once = end - first;
    if (played < once) return first + played;
    if (!loopStart || *loopStart >= end) return end;
    return *loopStart + (played - once) % (end - *loopStart);
}

PlanVerdict PlanOf(const Marker& marker, std::uint64_t frames) {
    if (marker.start >= frames) return Unplayable("The marker lies past the end of the audio.");
    switch (marker.kind) {
        case MarkerKind::Cue:
            return {PlayPlan{marker.start, frames, std::nullopt}, {}};
        case MarkerKind::Region:
        case MarkerKind::Segment: {
            const std::uint64_t last = marker.end.value_or(marker.start);
            return {
                PlayPlan{marker.start, std::min(std::max(last, marker.start), frames - 1) + 1, std::nullopt},
                {}};
        }
        case MarkerKind::Loop:
            if (!marker.end || *marker.end < marker.start)
                return Unplayable("The loop ends before it starts.");
            if (*marker.end >= frames) return Unplayable("The loop ends past the end of the audio.");
            return {PlayPlan{0, *marker.end + 1, marker.start}, {}};
    }
    return Unplayable({});
}

PlayStream::PlayStream(std::shared_ptr<const wavedoc::WaveDocument> document, const SampleFormat& format,
                       const PlayPlan& plan)
    : document_(std::move(document)),
      format_(format),
      plan_(plan),
      pieceFrames_(static_cast<std::size_t>(std::max<std::uint64_t>(1, kPieceBytes / format.FrameBytes()))),
      next_(plan.first) {}

std::size_t PlayStream::Read(float* out, std::size_t frames) {
    if (ended_ || next_ >= plan_.end) {
        if (!plan_.loopStart || *plan_.loopStart >= plan_.end || ended_) return 0;
        next_ = *plan_.loopStart;
    }
    const std::uint64_t frameBytes = format_.FrameBytes();
    const std::uint64_t count = std::min<std::uint64_t>({frames, pieceFrames_, plan_.end - next_});
    const std::string bytes = document_->Source()->Read(
        document_->Data().Offset() + wavedoc::layout::kChunkHeaderSize + next_ * frameBytes,
        count * frameBytes);
    const std::size_t got = static_cast<std::size_t>(bytes.size() / frameBytes);
    // The plan lies within the audio as analysed: a file that holds less now
    // was cut since, and the sound stops there rather than end as if whole.
    if (got < count) {
        ended_ = true;
        document_->Source()->CheckUnchanged();
        throw wavedoc::FileChangedError(
            "The file \"" + document_->Source()->DisplayName() +
            "\" no longer holds all of its audio: it was cut since it was analysed.");
    }
    DecodeFrames(format_, reinterpret_cast<const unsigned char*>(bytes.data()), got, out);
    next_ += got;
    return got;
}

}  // namespace sound
