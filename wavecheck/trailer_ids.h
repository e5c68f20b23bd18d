#pragma once

#include <algorithm>
#include <iterator>
#include <string_view>

namespace wavecheck {

// Ids of the chunks writers add after the audio: only these start a run of
// chunks looked for inside audio or stray bytes, so that audio which happens
// to look like a header is not taken for one. The check and the mend read
// the same list.
inline bool IsTrailerId(std::string_view id) {
    constexpr std::string_view kIds[] = {"LIST", "smpl", "inst", "cue ", "plst", "bext", "iXML", "id3 ",
                                         "ID3 ", "_PMX", "axml", "cart", "acid", "JUNK", "junk", "fact",
                                         "MD5 ", "DISP", "umid", "levl", "chna", "PAD ", "FLLR", "SyLp"};
    return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

}  // namespace wavecheck
