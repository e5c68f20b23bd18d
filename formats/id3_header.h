#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The header of an ID3v2 tag: "ID3", the version and revision, the flags, and
// the size of what follows the header as a syncsafe number.
namespace formats {

inline constexpr std::size_t kId3HeaderSize = 10;
inline constexpr std::size_t kId3SizeOffset = 6;

// Seven bits of each byte; nothing when a byte has its top bit set.
std::optional<std::uint32_t> Syncsafe(std::string_view bytes);

// The size the header gives for what follows it; nothing when the bytes are
// no whole tag header or the size is no syncsafe number.
std::optional<std::uint32_t> Id3TagSize(std::string_view header);

}  // namespace formats
