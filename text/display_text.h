#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Text for a cell from raw bytes: kept as it is when it is valid UTF-8,
// otherwise each byte is taken as its Windows-1252 character (what writers on
// Windows use), the five bytes that code page leaves unassigned as their
// Latin-1 characters. Nothing is trimmed.
std::string DisplayUtf8(std::string_view raw);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void AppendUtf8(std::string& text, char32_t codePoint);

// Whether raw is well-formed UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF).
bool IsValidUtf8(std::string_view raw);

// Length of the well-formed UTF-8 sequence that starts at `at`, or 0 when the
// bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// A count with its thousands grouped: 10485760 as "10,485,760".
std::string GroupedThousands(std::uint64_t number);

// The bytes as hex digits, two a byte, `separator` between bytes: "636166e9",
// or "63 61 66 E9" in capitals with a space.
enum class HexCase { Lower, Upper };
std::string HexDigits(std::string_view bytes, HexCase letters, std::string_view separator = {});

}  // namespace text
