#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An offset typed by the user: decimal ("1234") or hex after 0x ("0x4D2"),
// spaces around it allowed.
struct ParsedOffset {
    std::optional<std::uint64_t> offset;  // set when it is an offset inside the file
    std::string problem;                  // else one sentence saying what is wrong with it
};

// Reads `text` as an offset into a file of `fileLength` bytes: it must lie
// before the end of the file.
ParsedOffset ParseOffset(std::string_view text, std::uint64_t fileLength);
