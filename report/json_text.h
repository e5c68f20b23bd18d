#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

// The pieces of JSON text the writers are made of: strings escaped, numbers
// in decimal, and bytes that are not valid UTF-8 in hex.

// A JSON string literal for raw bytes: DisplayUtf8 first, so the document is
// valid UTF-8, then quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view raw);

// Appends JsonString(raw) to `out`.
void AppendJsonString(std::string& out, std::string_view raw);

// Appends JsonString(raw) when `raw` is printable ASCII without quote or
// backslash, which goes in as it is; false, `out` as it was, when it is not.
bool AppendPlainJsonString(std::string& out, std::string_view raw);

// The raw bytes as lower-case hex, for a string that is not valid UTF-8:
// DisplayUtf8 may show two different byte strings alike, the hex never does.
std::string HexBytes(std::string_view raw);

// Appends the decimal digits of `value`, without a string of their own.
void AppendDecimal(std::string& out, std::int64_t value);
void AppendDecimal(std::string& out, std::uint64_t value);

}  // namespace report
