#include "compression_names.h"

#include <array>
#include <utility>

namespace wavedoc {
namespace {

constexpr std::int32_t kExtensible = 0xFFFE;

constexpr std::array<std::pair<std::int32_t, std::string_view>, 15> kNames{{
    {0x0001, "PCM"},
    {0x0002, "ADPCM (Microsoft)"},
    {0x0003, "IEEE float"},
    {0x0006, "A-law"},
    {0x0007, "\xC2\xB5-law"},  // µ-law, in UTF-8
    {0x0011, "IMA ADPCM"},
    {0x0022, "DSP Group TrueSpeech"},
    {0x0031, "GSM 6.10"},
    {0x0040, "G.721 ADPCM"},
    {0x0050, "MPEG"},
    {0x0055, "MPEG Layer 3"},
    {0x0092, "Dolby AC-3 SPDIF"},
    {0x0161, "Windows Media Audio"},
    {0x0162, "Windows Media Audio Professional"},
    {kExtensible, "Extensible"},
}};

std::string_view NameOf(std::int32_t formatTag) {
    for (const auto& [tag, name] : kNames) {
        if (tag == formatTag) return name;
    }
    return "Unknown";
}

// The sub-formats of the extensible format that stand for a plain format tag
// share the GUID xxxxxxxx-0000-0010-8000-00AA00389B71, the tag in its first
// two bytes (stored little-endian).
constexpr std::string_view kTagGuidTail{"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14};

}  // namespace

std::string CompressionNameOf(std::int32_t formatTag, std::string_view subFormat) {
    const std::string name(NameOf(formatTag));
    if (formatTag != kExtensible || subFormat.size() != 16 || subFormat.substr(2) != kTagGuidTail)
        return name;
    const std::int32_t subTag =
        static_cast<unsigned char>(subFormat[0]) | static_cast<unsigned char>(subFormat[1]) << 8;
    if (subTag == kExtensible || NameOf(subTag) == "Unknown") return name;
    return name + " (" + std::string(NameOf(subTag)) + ")";
}

}  // namespace wavedoc
