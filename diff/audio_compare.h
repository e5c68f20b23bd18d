#pragma once

#include "diff/diff.h"

namespace wavedoc {
class WaveDocument;
}

namespace diff {

// Where a document's audio lies and how its frames are laid out; absent
// without a data chunk. Reads no more than the format's sub-format GUID.
AudioSide AudioSideOf(const wavedoc::WaveDocument& document);

// Compares the audio of two documents: streamed byte by byte (sample by
// sample across byte orders) when the two have the same layout, so each
// file's audio is read once; judged from the layouts alone, reading
// nothing, when they have not. Raises as the reads do.
AudioDiff CompareAudio(const wavedoc::WaveDocument& a, const wavedoc::WaveDocument& b);

}  // namespace diff
