#include "formats/xml_reading.h"

#include <algorithm>
#include <new>

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
                   const std::function<bool(std::string_view, bool)>& feed) {
    const std::uint64_t parsed = std::min(present, kMostXmlParsed);
    const bool utf16 = IsUtf16(read(0, 2));
    bool ended = false;
    for (std::uint64_t at = 0; !ended; at += kPiece) {
        const std::string piece = read(at, std::min(kPiece, parsed - std::min(parsed, at)));
        const std::size_t padding = PaddingStart(piece, utf16);
        ended = padding < piece.size() || at + piece.size() >= present;
        if (!feed(std::string_view(piece).substr(0, padding), ended)) break;
        if (at + piece.size() >= parsed && !ended) break;
    }
    return ended;
}

}  // namespace formats
