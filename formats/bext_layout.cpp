#include "formats/bext_layout.h"

#include <cstdio>
#include <cstdlib>

namespace formats::bext {

constexpr std::int16_t kNotGiven = 0x7FFF;

std::string LoudnessText(std::int16_t hundredths, std::string_view unit) {
    if (hundredths == kNotGiven) return "not given";
    const int magnitude = std::abs(int{hundredths});
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%02d ", hundredths < 0 ? "-" : "", magnitude / 100,
                  magnitude % 100);
    return text + std::string(unit);
}

}  // namespace formats::bext
