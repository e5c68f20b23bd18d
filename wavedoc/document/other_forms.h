#pragma once

#include <cstdint>
#include <string_view>

namespace wavedoc {

// What a file that does not start with "RIFF" is, as far as its first bytes
// tell: the forms of WAV that Ondulo does not read, and the other audio
// formats people save under a .wav name.
struct OtherForm {
    // A form of WAV or of RIFF itself (RF64, Wave64, big-endian RIFF): the
    // file is not refused as "not a WAV file", only as one Ondulo does not read.
    bool waveForm;
    // What the file is, in one sentence: "It is an AIFF file, ...".
    std::string_view sentence;
};

// How many of a file's first bytes tell its form.
inline constexpr std::uint64_t kOtherFormHeadBytes = 16;

// The form whose signature opens `head` (a file's first bytes, up to
// kOtherFormHeadBytes of them); null when it is none of those known.
const OtherForm* FindOtherForm(std::string_view head);

}  // namespace wavedoc
