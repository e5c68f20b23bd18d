#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/display_text.h"

namespace text {

// How every sentence of Ondulo counts: the words that agree with a number,
// `one` for exactly 1 and `many` for any other (0 included). The words may
// carry their verb: "byte follows" and "bytes follow".
constexpr std::string_view Agreeing(std::uint64_t n, std::string_view one, std::string_view many) {
    return n == 1 ? one : many;
}

// "1 byte", "2 bytes": the number in plain digits and the words that agree with it.
inline std::string Counted(std::uint64_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(Agreeing(n, one, many));
}

// "4,189,186 findings": the same with the digits grouped in thousands, as
// a person reads a count.
inline std::string GroupedCounted(std::uint64_t n, std::string_view one, std::string_view many) {
    return GroupedThousands(n) + " " + std::string(Agreeing(n, one, many));
}

}  // namespace text
