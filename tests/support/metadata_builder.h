#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "support/wav_builder.h"

// Payloads of the metadata chunks that real files carry beyond the twelve
// the chunk list shows (bext, ID3 tags), built field by field.
namespace wavtest {

// A fixed-size text field: the text, cut or padded with zero bytes to `length`.
inline std::string Fixed(std::string_view text, std::size_t length) {
    std::string field(text.substr(0, length));
    field.resize(length, '\0');
    return field;
}

// Every member has its default, so a test names only the fields it is about.
struct BextFields {
    std::string description = {};
    std::string originator = {};
    std::string originatorReference = {};
    std::string date = {};
    std::string time = {};
    std::uint64_t timeReference = 0;
    std::uint16_t version = 0;
    std::string umid = {};  // up to 64 bytes
    std::array<std::int16_t, 5> loudness{};
    char reservedByte = '\0';  // what the 180 reserved bytes hold
    std::string codingHistory = {};
    bool bigEndian = false;  // numbers as a RIFX file stores them
};

// The 602 fixed bytes of EBU Tech 3285, then the coding history.
inline std::string BextPayload(const BextFields& f) {
    const auto u16 = f.bigEndian ? BigU16 : U16;
    const auto u32 = f.bigEndian ? BigU32 : U32;
    std::string out =
        Fixed(f.description, 256) + Fixed(f.originator, 32) + Fixed(f.originatorReference, 32) +
        Fixed(f.date, 10) + Fixed(f.time, 8) + u32(static_cast<std::uint32_t>(f.timeReference)) +
        u32(static_cast<std::uint32_t>(f.timeReference >> 32)) + u16(f.version) + Fixed(f.umid, 64);
    for (const std::int16_t value : f.loudness) out += u16(static_cast<std::uint16_t>(value));
    return out + std::string(180, f.reservedByte) + f.codingHistory;
}

inline std::string BigEndian32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
inline std::string Syncsafe32(std::uint32_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F),
            static_cast<char>((v >> 7) & 0x7F), static_cast<char>(v & 0x7F)};
}

// An ID3v2.3 or 2.4 frame: id, size (plain in 2.3, syncsafe in 2.4), two flag bytes, content.
inline std::string Id3Frame(std::string_view id, std::string_view content, int version = 3,
                            std::uint8_t formatFlags = 0) {
    const auto size = static_cast<std::uint32_t>(content.size());
    return std::string(id) + (version == 4 ? Syncsafe32(size) : BigEndian32(size)) + '\0' +
           static_cast<char>(formatFlags) + std::string(content);
}

// An ID3v2.2 frame: three letters and a 24-bit size.
inline std::string Id3ShortFrame(std::string_view id, std::string_view content) {
    return std::string(id) + BigEndian32(static_cast<std::uint32_t>(content.size())).substr(1) +
           std::string(content);
}

// A tag: "ID3", version, revision 0, flags, the syncsafe size of what follows
// (the frames and padding) unless given.
inline std::string Id3Tag(int version, std::string_view frames, std::uint8_t flags = 0,
                          std::optional<std::uint32_t> size = std::nullopt) {
    return "ID3" + std::string{static_cast<char>(version), '\0', static_cast<char>(flags)} +
           Syncsafe32(size.value_or(static_cast<std::uint32_t>(frames.size()))) + std::string(frames);
}

}  // namespace wavtest
