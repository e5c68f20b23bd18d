#pragma once

#include <optional>

#include "sound/measure.h"

namespace wavedoc {
class WaveDocument;
}

namespace sound {

// The overview a levl chunk (the peak envelope of Broadcast Wave files)
// stores, read without decoding the audio: its positive and negative peak
// of every block of frames, merged into at most `buckets` buckets per
// channel. Nothing when the file has no levl chunk, or one that does not fit
// the format (another channel count, an unknown value format, no blocks), or
// whose peaks take more than 4 MB (the measuring pass draws those).
// Its buckets have no RMS; full scale is 1 as in a measured overview.
std::optional<Overview> PeakEnvelopeOf(const wavedoc::WaveDocument& document, std::size_t buckets = 2048);

}  // namespace sound
