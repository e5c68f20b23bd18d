#include "formats/id3_header.h"

namespace formats {

std::optional<std::uint32_t> Syncsafe(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) return std::nullopt;
        value = value << 7 | byte;
    }
    return value;
}

std::optional<std::uint32_t> Id3TagSize(std::string_view header) {
    if (header.size() < kId3HeaderSize || header.substr(kId3TagId.offset, kId3TagId.width) != kId3Letters) {
        return std::nullopt;
    }
    return Syncsafe(header.substr(kId3Size.offset, kId3Size.width));
}

}  // namespace formats
