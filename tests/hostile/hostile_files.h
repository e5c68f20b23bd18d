#pragma once

#include <cstdint>
#include <string>

#include "support/scratch_dir.h"
#include "support/wav_builder.h"

// Broken and hostile files shared by the tests of the component, ondulo-dump
// and the window.
namespace hostile {

using namespace wavtest;

inline const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));
inline const std::string kData = Chunk("data", "abcd");

// A file that loads well, held by the document before each hostile load.
inline std::string GoodFile() { return RiffFile(kFmt + Chunk("fact", U32(2)) + kData); }

inline std::string Repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// An associated data list of `count` labels of four bytes each.
inline std::string ManyLabels(int count) {
    return Chunk("LIST", ListPayload("adtl", Repeated(Chunk("labl", U32(1)), count)));
}

// A LIST whose only label claims 100 bytes while the LIST ends 9 bytes into it;
// the chunk after the LIST must not be read as the rest of the label.
inline std::string LabelRunningPastItsList() {
    const std::string label = "labl" + U32(100) + U32(5) + "Intro";
    return Chunk("LIST", "adtl" + label) + Chunk("data", "SECRET");
}

// A label whose text has no terminating zero, then a note.
inline std::string LabelWithoutZero() {
    return Chunk("LIST",
                 ListPayload("adtl", Chunk("labl", U32(1) + "Intro") + Chunk("note", LabelPayload(2, "n"))));
}

}  // namespace hostile
