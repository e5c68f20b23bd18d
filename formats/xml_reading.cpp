#include "formats/xml_reading.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>

namespace formats {
namespace {

constexpr std::uint64_t kPiece = 64 * 1024;

// Whether the XML is UTF-16: it starts with a byte order mark, or, as expat
// and other readers take it, with one zero byte in its first two (an
// ASCII character in either byte order).
bool IsUtf16(std::string_view start) {
    if (start == "\xFF\xFE" || start == "\xFE\xFF") return true;
    return start.size() == 2 && (start[0] == '\0') != (start[1] == '\0');
}

// Writers pad the XML with zero bytes: it ends at the first zero character,
// a zero byte in UTF-8, two at an even offset in UTF-16 (kPiece is even).
std::size_t PaddingStart(std::string_view piece, bool utf16) {
    if (!utf16) return std::min(piece.find('\0'), piece.size());
    for (std::size_t at = 0; at + 1 < piece.size(); at += 2) {
        if (piece[at] == '\0' && piece[at + 1] == '\0') return at;
    }
    return piece.size();
}

// A code unit of UTF-16 in the XML's byte order: most significant byte first
// where the XML starts with FE FF or with a zero byte.
struct Utf16Units {
    bool bigEndian = false;
    std::uint16_t At(std::string_view bytes, std::size_t at) const {
        const auto first = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]));
        const auto second = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at + 1]));
        return bigEndian ? static_cast<std::uint16_t>(first << 8 | second)
                         : static_cast<std::uint16_t>(second << 8 | first);
    }
    void Put(std::string& bytes, std::size_t at, std::uint16_t unit) const {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes[at] = bigEndian ? high : low;
        bytes[at + 1] = bigEndian ? low : high;
    }
};

bool IsLead(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsTrail(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Replaces each surrogate of the piece's first `length` bytes that has no partner with U+FFFD, as
// text readers show it (expat would take a lone lead surrogate and the
// character after it for one character). `trailFirst`: the piece starts
// with the partner of the last piece's lead; `next`: the first unit after
// the piece, if any. Returns how many were replaced and whether the piece
// ends with a lead whose partner starts the next one.
std::pair<std::uint64_t, bool> ReplaceLoneSurrogates(std::string& piece, std::size_t length, Utf16Units units,
                                                     bool trailFirst, std::optional<std::uint16_t> next) {
    constexpr std::uint16_t kReplacement = 0xFFFD;
    std::uint64_t replaced = 0;
    const std::size_t end = length - length % 2;
    for (std::size_t at = trailFirst ? 2 : 0; at < end; at += 2) {
        const std::uint16_t unit = units.At(piece, at);
        if (IsLead(unit)) {
            const std::optional<std::uint16_t> after = at + 2 < end ? units.At(piece, at + 2) : next;
            if (after && IsTrail(*after)) {
                if (at + 2 >= end) return {replaced, true};
                at += 2;
                continue;
            }
        } else if (!IsTrail(unit)) {
            continue;
        }
        units.Put(piece, at, kReplacement);
        ++replaced;
    }
    return {replaced, false};
}

}  // namespace

XmlParser::XmlParser(void* userData, XML_EntityDeclHandler onEntity) : parser_(XML_ParserCreate(nullptr)) {
    if (parser_ == nullptr) throw std::bad_alloc();
    XML_SetUserData(parser_, userData);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetEntityDeclHandler(parser_, onEntity);
}

XmlParser::~XmlParser() { XML_ParserFree(parser_); }

bool FeedXmlPieces(std::uint64_t present,
                   const std::function<std::string(std::uint64_t, std::uint64_t)>& read,
                   const std::function<bool(std::string_view, bool)>& feed, std::uint64_t* loneSurrogates) {
    const std::uint64_t parsed = std::min(present, kMostXmlParsed);
    const std::string start = read(0, 2);
    const bool utf16 = IsUtf16(start);
    const Utf16Units units{start == "\xFE\xFF" || (start.size() == 2 && start[0] == '\0')};
    bool trailFirst = false;
    bool ended = false;
    for (std::uint64_t at = 0; !ended; at += kPiece) {
        std::string piece = read(at, std::min(kPiece, parsed - std::min(parsed, at)));
        const std::size_t padding = PaddingStart(piece, utf16);
        if (utf16) {
            // The unit after the piece, read only where the XML runs on past
            // a piece that ends in a lead.
            std::optional<std::uint16_t> next;
            if (padding == piece.size() && padding >= 2 && padding % 2 == 0 &&
                IsLead(units.At(piece, padding - 2))) {
                const std::string after = read(at + padding, 2);
                if (after.size() == 2) next = units.At(after, 0);
            }
            const auto [replaced, leadAtEnd] = ReplaceLoneSurrogates(piece, padding, units, trailFirst, next);
            trailFirst = leadAtEnd;
            if (loneSurrogates != nullptr) *loneSurrogates += replaced;
        }
        ended = padding < piece.size() || at + piece.size() >= present;
        if (!feed(std::string_view(piece).substr(0, padding), ended)) break;
        if (at + piece.size() >= parsed && !ended) break;
    }
    return ended;
}

}  // namespace formats
