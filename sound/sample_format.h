#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wavedoc {
class WaveDocument;
}

// How the samples of a data chunk are laid out, for the formats whose frame
// is one sample per channel in whole bytes: PCM, IEEE float, A-law and µ-law,
// plain or extensible.
namespace sound {

enum class Encoding { Integer, Float, ALaw, MuLaw };

struct SampleFormat {
    Encoding encoding = Encoding::Integer;
    unsigned bytes = 2;     // bytes of one sample: 1 to 4, or 8 for a 64-bit float
    unsigned channels = 1;  // 1 to 65535
    std::uint32_t sampleRate = 0;
    std::uint32_t channelMask = 0;  // the extensible format's speaker mask, or 0
    bool bigEndian = false;         // a RIFX file

    unsigned FrameBytes() const { return bytes * channels; }
    // "16-bit PCM", "32-bit float", "A-law", "µ-law".
    std::string Name() const;
};

// The layout of a loaded document's audio, or why it cannot be measured:
// one sentence naming the file and the format.
struct FormatVerdict {
    std::optional<SampleFormat> format;
    std::string unmeasured;  // empty when format is set
};
FormatVerdict SampleFormatOf(const wavedoc::WaveDocument& document);

}  // namespace sound
