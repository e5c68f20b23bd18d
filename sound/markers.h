#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wavedoc {
class WaveDocument;
}

namespace sound {

// The places in the sound a file marks: cue points (with their label),
// labelled-text regions, sampler loops and playlist segments.
enum class MarkerKind { Cue, Region, Loop, Segment };

struct Marker {
    MarkerKind kind = MarkerKind::Cue;
    std::uint64_t start = 0;           // the first frame
    std::optional<std::uint64_t> end;  // a span's last frame, inclusive; nothing for a point
    std::string label;                 // what the view writes beside it, raw bytes
    std::uint64_t recordOffset = 0;    // where its record lies in the file
};

// At most this many markers of each kind are read: the view shows no more.
inline constexpr std::size_t kMostMarkersOfAKind = 4096;

// The markers of a loaded document: its cue points, labelled texts, sample
// loops and play segments, each kind in file order. A record that cannot be
// read, or whose cue point is missing, is left out. Reads the records from
// the document's source.
std::vector<Marker> MarkersOf(const wavedoc::WaveDocument& document);

// "Forward", "Alternating", "Backward", or the number of another type.
std::string LoopTypeName(std::int32_t type);

}  // namespace sound
