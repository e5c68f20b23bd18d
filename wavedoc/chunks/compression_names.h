#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wavedoc {

// The usual name of a wFormatTag, "Unknown" for a tag not in the table. For
// WAVE_FORMAT_EXTENSIBLE the sub-format is named too when subFormat holds the
// 16 bytes of a known sub-format GUID: "Extensible (IEEE float)".
std::string CompressionNameOf(std::int32_t formatTag, std::string_view subFormat);

}  // namespace wavedoc
