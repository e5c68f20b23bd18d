#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sound/markers.h"

namespace wavedoc {
class WaveDocument;
}

namespace sound {

// The joint of a sampler loop as a sampler plays it again and again: the
// last frames of the loop up to its end, then its first frames, which
// follow them each time it repeats. A loop that clicks shows a step there.
struct LoopSeam {
    unsigned channels = 0;
    std::uint64_t before = 0;    // frames up to and including the loop's last
    std::uint64_t after = 0;     // frames from the loop's first on
    std::vector<float> samples;  // (before + after) frames, interleaved, full scale 1
    // Per channel, the step from the loop's last sample to its first in
    // dBFS (full scale being a step of 1); -infinity when there is none.
    std::vector<double> stepDecibels;
};

// The seam of a loop marker, with up to `side` frames on each side of the
// joint, read from the document's source; nothing when its audio cannot be
// decoded or the loop does not lie within it. Reads the file as any read does.
std::optional<LoopSeam> LoopSeamOf(const wavedoc::WaveDocument& document, const Marker& loop,
                                   std::uint64_t side = 48);

}  // namespace sound
