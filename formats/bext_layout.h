#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "formats/identifier_layouts.h"
#include "wavedoc/reading/field.h"

// Where the fields of the bext chunk lie (EBU Tech 3285, versions 0, 1 and
// 2): a fixed part of 602 bytes, texts, the time reference, the version, from
// version 1 the UMID, from version 2 five loudness values, reserved bytes
// that must be zero, then the coding history, a text of CR LF lines.
namespace formats::bext {

using wavedoc::Field;

inline constexpr Field kDescription = wavedoc::TextField("Description", 0, 256);
inline constexpr Field kOriginator = wavedoc::TextField("Originator", 256, 32);
inline constexpr Field kOriginatorReference = wavedoc::TextField("OriginatorReference", 288, 32);
inline constexpr Field kOriginationDate = wavedoc::TextField("OriginationDate", 320, 10);
inline constexpr Field kOriginationTime = wavedoc::TextField("OriginationTime", 330, 8);
inline constexpr Field kTimeReferenceLow = wavedoc::Unsigned32Field("TimeReferenceLow", 338);
inline constexpr Field kTimeReferenceHigh = wavedoc::Unsigned32Field("TimeReferenceHigh", 342);
inline constexpr Field kVersion = wavedoc::Unsigned16Field("Version", 346);
inline constexpr Field kUmid = wavedoc::BytesField("UMID", 348, umid::kExtendedSize);
// The fixed part ends with reserved bytes, up to this offset.
inline constexpr std::size_t kReservedEnd = 602;
inline constexpr std::size_t kCodingHistory = kReservedEnd;
inline constexpr std::uint32_t kLatestVersion = 2;

// The five loudness values of version 2: signed 16-bit numbers, each 100
// times the value, one after another from LoudnessValue on.
struct LoudnessField {
    Field field;
    std::string_view unit;
};
inline constexpr LoudnessField kLoudnessFields[] = {
    {wavedoc::Signed16Field("LoudnessValue", 412), "LUFS"},
    {wavedoc::Signed16Field("LoudnessRange", 414), "LU"},
    {wavedoc::Signed16Field("MaxTruePeakLevel", 416), "dBTP"},
    {wavedoc::Signed16Field("MaxMomentaryLoudness", 418), "LUFS"},
    {wavedoc::Signed16Field("MaxShortTermLoudness", 420), "LUFS"},
};
inline constexpr std::size_t kLoudness = kLoudnessFields[0].field.offset;
inline constexpr std::size_t kLoudnessEnd = kLoudnessFields[std::size(kLoudnessFields) - 1].field.End();

// The reserved bytes start after the fields of the version that wrote them.
constexpr std::size_t ReservedStart(std::uint32_t version) {
    return version == 0 ? kUmid.offset : version == 1 ? kLoudness : kLoudnessEnd;
}

// The reserved bytes of a chunk of that version.
constexpr Field ReservedField(std::uint32_t version) {
    return wavedoc::BytesField("Reserved", ReservedStart(version), kReservedEnd - ReservedStart(version));
}

// The coding history is read up to this many bytes.
inline constexpr std::uint64_t kMostHistoryBytes = 64 * 1024;

// "-23.00 LUFS" from -2300; 0x7FFF says the value was not measured.
std::string LoudnessText(std::int16_t hundredths, std::string_view unit);

}  // namespace formats::bext
