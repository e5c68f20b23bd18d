#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where the fields of the bext chunk lie (EBU Tech 3285, versions 0, 1 and
// 2): a fixed part of 602 bytes, texts, the time reference, the version, from
// version 1 the UMID, from version 2 five loudness values, reserved bytes
// that must be zero, then the coding history, a text of CR LF lines.
namespace formats::bext {

// A fixed-size text field: its name, where it starts and how long it is.
struct TextField {
    std::string_view name;
    std::size_t offset;
    std::size_t length;
};
inline constexpr TextField kDescription{"Description", 0, 256};
inline constexpr TextField kOriginator{"Originator", 256, 32};
inline constexpr TextField kOriginatorReference{"OriginatorReference", 288, 32};
inline constexpr TextField kOriginationDate{"OriginationDate", 320, 10};
inline constexpr TextField kOriginationTime{"OriginationTime", 330, 8};

inline constexpr std::size_t kTimeReference = 338;  // TimeReferenceLow, then TimeReferenceHigh
inline constexpr std::size_t kVersion = 346;
inline constexpr std::size_t kUmid = 348;
inline constexpr std::size_t kUmidLength = 64;
inline constexpr std::size_t kLoudness = 412;  // five signed 16-bit values, each 100 times the value
inline constexpr std::size_t kLoudnessEnd = kLoudness + 10;
inline constexpr std::size_t kReservedEnd = 602;
inline constexpr std::size_t kCodingHistory = kReservedEnd;
inline constexpr std::uint32_t kLatestVersion = 2;

// The reserved bytes start after the fields of the version that wrote them.
constexpr std::size_t ReservedStart(std::uint32_t version) {
    return version == 0 ? kUmid : version == 1 ? kLoudness : kLoudnessEnd;
}

struct LoudnessField {
    std::string_view name;
    std::string_view unit;
};
inline constexpr LoudnessField kLoudnessFields[] = {
    {"LoudnessValue", "LUFS"},        {"LoudnessRange", "LU"},          {"MaxTruePeakLevel", "dBTP"},
    {"MaxMomentaryLoudness", "LUFS"}, {"MaxShortTermLoudness", "LUFS"},
};

// The coding history is read up to this many bytes.
inline constexpr std::uint64_t kMostHistoryBytes = 64 * 1024;

// "-23.00 LUFS" from -2300; 0x7FFF says the value was not measured.
std::string LoudnessText(std::int16_t hundredths, std::string_view unit);

}  // namespace formats::bext
