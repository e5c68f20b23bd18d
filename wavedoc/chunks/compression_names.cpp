#include "wavedoc/chunks/compression_names.h"

#include <array>
#include <utility>

#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {
namespace {

constexpr auto kExtensible = static_cast<std::int32_t>(layout::kExtensibleTag);

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

}  // namespace

std::string CompressionNameOf(std::int32_t formatTag, std::string_view subFormat) {
    const std::string name(NameOf(formatTag));
    if (formatTag != kExtensible) return name;
    const std::optional<std::uint32_t> code = layout::SubFormatCode(subFormat);
    if (!code) return name;
    const auto subTag = static_cast<std::int32_t>(*code);
    if (subTag == kExtensible || NameOf(subTag) == "Unknown") return name;
    return name + " (" + std::string(NameOf(subTag)) + ")";
}

}  // namespace wavedoc
