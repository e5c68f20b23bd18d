#pragma once

#include <string>
#include <string_view>

// Text for a cell from raw bytes: kept as it is when it is valid UTF-8,
// otherwise each byte is taken as its Latin-1 character. Nothing is trimmed.
std::string DisplayUtf8(std::string_view raw);
