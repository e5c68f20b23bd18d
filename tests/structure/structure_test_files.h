#pragma once

#include <optional>
#include <string>

#include "support/wav_builder.h"

namespace structuretest {

inline const std::string kFmt = wavtest::Chunk("fmt ", wavtest::PcmFormat(2, 44100, 16));

// Two fmt chunks (a warning at 36), the shown list and another one with
// their sub-chunks, a pad byte missing (a warning at 130), and a data chunk
// whose size past 2 GB runs past the end (an error at 141).
inline std::string MixedFile() {
    using namespace wavtest;
    const std::string adtl = Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "Intro")) +
                                                                   Chunk("note", LabelPayload(1, "x"))));
    const std::string info = Chunk("LIST", ListPayload("INFO", Chunk("INAM", std::string("Song\0", 5))));
    return RiffFile(kFmt + kFmt + adtl + info + Chunk("JUNK", "abc", std::nullopt, false) +
                    Chunk("data", "\1\2\3\4", 0xFFFFFFF0));
}

}  // namespace structuretest
