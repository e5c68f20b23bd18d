#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "wavedoc/reading/field.h"

// The header of an ID3v2 tag: "ID3", the version and revision, the flags, and
// the size of what follows the header as a syncsafe number.
namespace formats {

inline constexpr wavedoc::Field kId3TagId = wavedoc::BytesField("tag header", 0, 3);
inline constexpr std::string_view kId3Letters = "ID3";  // what kId3TagId holds
inline constexpr wavedoc::Field kId3Version = wavedoc::Unsigned8Field("version", 3);
inline constexpr wavedoc::Field kId3Revision = wavedoc::Unsigned8Field("revision", 4);
inline constexpr wavedoc::Field kId3Flags = wavedoc::Unsigned8Field("flags", 5);
inline constexpr wavedoc::Field kId3Size = wavedoc::BytesField("size", 6, 4);
inline constexpr std::size_t kId3HeaderSize = kId3Size.End();

static_assert(wavedoc::FollowOneAnother({kId3TagId, kId3Version, kId3Revision, kId3Flags, kId3Size}));

// Seven bits of each byte; nothing when a byte has its top bit set.
std::optional<std::uint32_t> Syncsafe(std::string_view bytes);

// The size the header gives for what follows it; nothing when the bytes are
// no whole tag header or the size is no syncsafe number.
std::optional<std::uint32_t> Id3TagSize(std::string_view header);

}  // namespace formats
