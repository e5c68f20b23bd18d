#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Builds WAV files byte by byte for tests, so that every field, size and
// padding choice is explicit.
namespace wavtest {

inline std::string U32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
inline std::string U16(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U8(std::uint8_t v) { return std::string(1, static_cast<char>(v)); }

// A chunk: id, stored size (the payload's length unless given), payload, and a
// pad byte after an odd payload unless told not to write it.
inline std::string Chunk(std::string_view id, std::string_view payload,
                         std::optional<std::uint32_t> storedSize = std::nullopt, bool writePad = true) {
    std::string out(id);
    out += U32(storedSize.value_or(static_cast<std::uint32_t>(payload.size())));
    out += payload;
    if (writePad && payload.size() % 2 == 1) out += '\0';
    return out;
}

// A whole RIFF file around the given chunks; the RIFF size is computed unless given.
inline std::string RiffFile(std::string_view chunks, std::string_view form = "WAVE",
                            std::optional<std::uint32_t> riffSize = std::nullopt) {
    std::string body(form);
    body += chunks;
    return "RIFF" + U32(riffSize.value_or(static_cast<std::uint32_t>(body.size()))) + body;
}

// The 16-byte PCM format payload.
inline std::string PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    return U16(1) + U16(channels) + U32(rate) + U32(rate * blockAlign) + U16(blockAlign) + U16(bits);
}

}  // namespace wavtest
