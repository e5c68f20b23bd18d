#pragma once

#include <string>

#include "diff/diff.h"

namespace diff {

// What the audio of the two files comes to, in words after "audio: ":
// "identical (1000 frames)", "differs from frame 500 (0.011338 s)", the
// frames added or cut at the end, another sample format, or why the two are
// not alike.
std::string AudioSentence(const AudioDiff& audio);

}  // namespace diff
