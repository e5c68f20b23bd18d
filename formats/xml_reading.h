#pragma once

#include <expat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// How the XML of a chunk (iXML, _PMX, axml) is read: through an expat parser
// that never expands entities, in pieces up to the zero bytes that pad it, at
// most kMostXmlParsed bytes, so a chunk of any size costs a bounded parse.
namespace formats {

inline constexpr std::uint64_t kMostXmlParsed = 4 * 1024 * 1024;
// Elements nested deeper than this are not read: what the parser holds for
// the open elements stays small whatever the XML.
inline constexpr int kMostXmlDepth = 256;

// An expat parser that reads no parameter entities and calls onEntity at an
// entity declaration, so that no "billion laughs" can grow from a few bytes:
// the handler stops the parser.
class XmlParser {
public:
    XmlParser(void* userData, XML_EntityDeclHandler onEntity);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    XML_Parser Get() const { return parser_; }

private:
    XML_Parser parser_;
};

// Reads a chunk's XML from its content: read(offset, count) gives at most
// count bytes of the content from offset on. Calls feed(piece, last) for each
// piece, the last one ending where the padding or the content starts, or at
// kMostXmlParsed; feed returns false to stop. Returns whether the XML was
// read to its end. In UTF-16 a surrogate without its partner is fed as
// U+FFFD, and counted in loneSurrogates when given.
bool FeedXmlPieces(std::uint64_t present,
                   const std::function<std::string(std::uint64_t, std::uint64_t)>& read,
                   const std::function<bool(std::string_view, bool)>& feed,
                   std::uint64_t* loneSurrogates = nullptr);

}  // namespace formats
