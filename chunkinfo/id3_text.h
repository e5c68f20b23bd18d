#pragma once

#include <string>
#include <string_view>

// The strings of ID3v2 frames: each frame with text states its encoding in
// one byte before its strings.
namespace chunkinfo {

enum class Id3Encoding { Latin1 = 0, Utf16 = 1, Utf16BigEndian = 2, Utf8 = 3 };

// A string and what follows its terminator: one zero byte, or two zero bytes
// at an even offset in UTF-16. A string without one runs to the end.
struct Id3String {
    std::string_view text;
    std::string_view rest;
};
Id3String SplitId3String(std::string_view bytes, Id3Encoding encoding);

// A string as UTF-8: ISO-8859-1 bytes as the characters of the same number,
// UTF-16 after its byte order mark (little-endian without one, as some
// writers leave it out), UTF-16BE, and UTF-8 kept as it is. An unpaired
// surrogate or a last odd byte reads as U+FFFD.
std::string Id3ToUtf8(std::string_view text, Id3Encoding encoding);

}  // namespace chunkinfo
