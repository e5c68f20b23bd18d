#include "ui/structure/offset_parsing.h"

#include <limits>

#include "text/display_text.h"

namespace {

constexpr std::uint64_t kMostOffset = std::numeric_limits<std::uint64_t>::max();

// The value of one digit in `base`, or nothing.
std::optional<unsigned> DigitValue(char c, unsigned base) {
    unsigned value = 0;
    if (c >= '0' && c <= '9') {
        value = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
        value = static_cast<unsigned>(c - 'a') + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
        value = static_cast<unsigned>(c - 'A') + 10;
    } else {
        return std::nullopt;
    }
    if (value >= base) return std::nullopt;
    return value;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

ParsedOffset ParseOffset(std::string_view text, std::uint64_t fileLength) {
    const std::string_view written = Trimmed(text);
    std::string_view digits = written;
    unsigned base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    ParsedOffset parsed;
    const std::string quoted = "\"" + text::DisplayUtf8(written) + "\"";
    if (digits.empty()) {
        parsed.problem = "Type an offset: in decimal (1234) or in hex after 0x (0x4D2).";
        return parsed;
    }
    std::uint64_t value = 0;
    bool tooLarge = false;
    for (const char c : digits) {
        const std::optional<unsigned> digit = DigitValue(c, base);
        if (!digit) {
            parsed.problem =
                quoted + " is not an offset: write it in decimal (1234) or in hex after 0x (0x4D2).";
            return parsed;
        }
        // Digits past the largest offset still have to be digits; the value
        // then stays past the end of any file.
        if (value > (kMostOffset - *digit) / base) tooLarge = true;
        if (!tooLarge) value = value * base + *digit;
    }
    if (tooLarge || value >= fileLength) {
        parsed.problem = "Offset " + quoted + " lies past the end of the file, which holds " +
                         text::GroupedThousands(fileLength) + (fileLength == 1 ? " byte." : " bytes.");
        return parsed;
    }
    parsed.offset = value;
    return parsed;
}
