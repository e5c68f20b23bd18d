#include "ui/structure/byte_search.h"

#include <string.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <new>
#include <string_view>

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of "44 AC 00 00" or "0x44AC0000", when the text is such.
std::optional<std::string> HexBytesOf(const std::string& typed) {
    std::string digits;
    const bool prefixed = typed.size() > 2 && typed[0] == '0' && (typed[1] == 'x' || typed[1] == 'X');
    bool spaced = false;
    for (std::size_t i = prefixed ? 2 : 0; i < typed.size(); ++i) {
        if (typed[i] == ' ') {
            spaced = true;
            if (digits.size() % 2 != 0) return std::nullopt;  // pairs only
            continue;
        }
        if (HexValue(typed[i]) < 0) return std::nullopt;
        digits += typed[i];
    }
    if (digits.empty() || digits.size() % 2 != 0 || (!prefixed && !spaced)) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes += static_cast<char>(HexValue(digits[i]) * 16 + HexValue(digits[i + 1]));
    return bytes;
}

// UTF-8 to UTF-16 code units; nothing for text that is not valid UTF-8.
std::optional<std::u16string> Utf16Of(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF8 ? -1
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        if (extra < 0 || static_cast<std::size_t>(extra) >= text.size() - i) return std::nullopt;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (code >> 10));
            units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    return units;
}

// Where `pattern` first starts in `bytes`.
std::optional<std::size_t> FirstHit(std::string_view bytes, const std::string& pattern) {
    const void* hit = ::memmem(bytes.data(), bytes.size(), pattern.data(), pattern.size());
    if (hit == nullptr) return std::nullopt;
    return static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
}

// Where `pattern` last starts in `bytes`: its reverse searched from the end.
std::optional<std::size_t> LastHit(std::string_view bytes, const std::string& pattern) {
    if (pattern.size() > bytes.size()) return std::nullopt;
    const std::boyer_moore_horspool_searcher reversed(pattern.rbegin(), pattern.rend());
    const auto found = std::search(bytes.rbegin(), bytes.rend(), reversed);
    if (found == bytes.rend()) return std::nullopt;
    return bytes.size() - static_cast<std::size_t>(found - bytes.rbegin()) - pattern.size();
}

}  // namespace

SearchPatterns PatternsFor(const std::string& typed, bool bigEndian) {
    SearchPatterns found;
    if (typed.empty()) {
        found.problem = "There is nothing to search for.";
        return found;
    }
    if (const std::optional<std::string> bytes = HexBytesOf(typed)) {
        found.patterns.push_back(*bytes);
        return found;
    }
    found.patterns.push_back(typed);
    if (const std::optional<std::u16string> units = Utf16Of(typed)) {
        std::string wide;
        for (const char16_t unit : *units) {
            const auto low = static_cast<char>(unit & 0xFF);
            const auto high = static_cast<char>(unit >> 8);
            if (bigEndian) {
                wide += high;
                wide += low;
            } else {
                wide += low;
                wide += high;
            }
        }
        found.patterns.push_back(wide);
    }
    return found;
}

std::optional<SearchHit> FindBytes(const wavedoc::ByteSource& source, const SearchPatterns& patterns,
                                   std::uint64_t from, bool forward, std::uint64_t piece,
                                   const std::function<bool(std::uint64_t)>& going) {
    std::size_t longest = 0;
    for (const std::string& pattern : patterns.patterns) longest = std::max(longest, pattern.size());
    if (longest == 0) return std::nullopt;
    const std::uint64_t length = source.Length();
    const std::uint64_t overlap = longest - 1;
    piece = std::max<std::uint64_t>(piece, longest);
    std::uint64_t searched = 0;
    if (forward) {
        for (std::uint64_t at = from; at < length; at += piece) {
            if (!going(searched)) return std::nullopt;
            const std::string bytes = source.Read(at, std::min(piece + overlap, length - at));
            const std::string_view read(bytes);
            std::optional<SearchHit> best;
            for (const std::string& pattern : patterns.patterns) {
                // Hits start inside the piece (one starting in the overlap
                // belongs to the next) and before the best one yet.
                std::uint64_t end = std::min<std::uint64_t>(read.size(), piece + pattern.size() - 1);
                if (best) end = std::min<std::uint64_t>(end, best->offset - at + pattern.size() - 1);
                if (const std::optional<std::size_t> hit = FirstHit(read.substr(0, end), pattern))
                    best = SearchHit{at + *hit, pattern.size()};
            }
            if (best) return best;
            searched += std::min(piece, length - at);
        }
        return std::nullopt;
    }
    for (std::uint64_t end = std::min(from, length); end > 0;) {
        if (!going(searched)) return std::nullopt;
        const std::uint64_t start = end > piece ? end - piece : 0;
        // Hits start before `end`; their bytes may run on past it.
        const std::string bytes = source.Read(start, std::min(end - start + overlap, length - start));
        const std::string_view read(bytes);
        std::optional<SearchHit> best;
        for (const std::string& pattern : patterns.patterns) {
            std::uint64_t stop = std::min<std::uint64_t>(read.size(), end - start + pattern.size() - 1);
            std::uint64_t begin = best ? best->offset - start + 1 : 0;
            if (begin >= stop) continue;
            if (const std::optional<std::size_t> hit = LastHit(read.substr(begin, stop - begin), pattern))
                best = SearchHit{start + begin + *hit, pattern.size()};
        }
        if (best) return best;
        searched += end - start;
        end = start;
    }
    return std::nullopt;
}

SearchOutcome SearchFile(const wavedoc::ByteSource& source, const SearchPatterns& patterns,
                         std::uint64_t from, bool forward, std::uint64_t piece, JobControl& control) {
    SearchOutcome outcome;
    try {
        outcome.hit = FindBytes(source, patterns, from, forward, piece, [&control](std::uint64_t searched) {
            control.done.store(searched);
            return !control.cancel.load();
        });
        outcome.cancelled = !outcome.hit && control.cancel.load();
        if (!outcome.hit && !outcome.cancelled) {
            const std::uint64_t length = source.Length();
            control.done.store(forward ? length - std::min(from, length) : std::min(from, length));
        }
        // Each piece was read from the file as analysed; one replaced or
        // rewritten in place since may no longer hold the hit.
        source.CheckUnchanged();
    } catch (const wavedoc::WaveDocError& error) {
        outcome = SearchOutcome{.hit = std::nullopt, .cancelled = false, .problem = error.what()};
    } catch (const std::bad_alloc&) {
        outcome = SearchOutcome{.hit = std::nullopt,
                                .cancelled = false,
                                .problem = "The file \"" + source.DisplayName() +
                                           "\" could not be searched: there is not enough memory."};
    }
    return outcome;
}
