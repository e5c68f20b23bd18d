// The tags other writers add: XML (iXML, XMP, axml) and ID3, read as their
// decoders read them (chunkinfo/xml_reading.h, chunkinfo/id3_header.h).
#include "formats/id3_header.h"
#include "formats/xml_reading.h"
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

using wavedoc::MapEntry;

// What the parse of one chunk's XML keeps: the depth of the open elements.
struct XmlWatch {
    XML_Parser parser = nullptr;
    int depth = 0;
    bool tooDeep = false;
};

// An entity declaration stops the parse: its expansion is not read, so the
// XML after it is not judged.
void XMLCALL StopAtEntity(void* data, const XML_Char* /*name*/, int /*parameter*/, const XML_Char* /*value*/,
                          int /*valueLength*/, const XML_Char* /*base*/, const XML_Char* /*systemId*/,
                          const XML_Char* /*publicId*/, const XML_Char* /*notation*/) {
    XML_StopParser(static_cast<XmlWatch*>(data)->parser, XML_FALSE);
}

// Elements nested deeper than the rows read stop the parse too, so that
// what expat holds for the open elements stays small.
void XMLCALL OnStart(void* data, const XML_Char* /*name*/, const XML_Char** /*attributes*/) {
    auto& watch = *static_cast<XmlWatch*>(data);
    if (++watch.depth <= formats::kMostXmlDepth) return;
    watch.tooDeep = true;
    XML_StopParser(watch.parser, XML_FALSE);
}

void XMLCALL OnEnd(void* data, const XML_Char* /*name*/) { --static_cast<XmlWatch*>(data)->depth; }

// What the check can say of a chunk's XML.
struct XmlVerdict {
    std::optional<std::string> fault;  // why it is not well-formed, and where, as expat says it
    bool tooDeep = false;              // it nests deeper than is read, and was not judged past that
    std::uint64_t loneSurrogates = 0;  // UTF-16 surrogates without their partner, read as U+FFFD
};

// The verdict on the chunk's XML: nothing when it is well-formed, when it
// holds none, or when the parse stops before it can tell (an entity
// declaration, an encoding expat does not know, the bound of kMostXmlParsed).
XmlVerdict JudgeXml(const CheckInput& input, const MapEntry& entry) {
    XmlWatch watch;
    const formats::XmlParser parser(&watch, StopAtEntity);
    watch.parser = parser.Get();
    XML_SetElementHandler(parser.Get(), OnStart, OnEnd);
    bool holdsXml = false;
    XmlVerdict verdict;
    formats::FeedXmlPieces(
        entry.present,
        [&](std::uint64_t offset, std::uint64_t count) { return ReadContent(input, entry, offset, count); },
        [&](std::string_view piece, bool last) {
            holdsXml = holdsXml || !piece.empty();
            if (last && !holdsXml) return false;
            const auto length = static_cast<int>(piece.size());
            if (XML_Parse(parser.Get(), piece.data(), length, last ? XML_TRUE : XML_FALSE) !=
                XML_STATUS_ERROR) {
                return true;
            }
            const XML_Error error = XML_GetErrorCode(parser.Get());
            verdict.tooDeep = watch.tooDeep;
            if (error != XML_ERROR_ABORTED && error != XML_ERROR_UNKNOWN_ENCODING) {
                verdict.fault = std::string(XML_ErrorString(error)) + " at line " +
                                std::to_string(XML_GetCurrentLineNumber(parser.Get())) + ", column " +
                                std::to_string(XML_GetCurrentColumnNumber(parser.Get()) + 1);
            }
            return false;
        },
        &verdict.loneSurrogates);
    return verdict;
}

}  // namespace

void CheckXmlMalformed(const CheckInput& input, Report& report) {
    for (const MapEntry& entry : input.facts.metadata.xml) {
        const XmlVerdict verdict = JudgeXml(input, entry);
        if (verdict.tooDeep) {
            report.Add(
                entry.offset, entry.id,
                "The XML of the " + ChunkAt(entry) + " nests elements more than " +
                    std::to_string(formats::kMostXmlDepth) +
                    " deep; it is not checked past that, and readers that bound their depth stop there "
                    "too.",
                Level::Note);
        }
        if (verdict.loneSurrogates > 0) {
            report.Add(entry.offset, entry.id,
                       "The UTF-16 XML of the " + ChunkAt(entry) + " holds " +
                           text::Counted(verdict.loneSurrogates, "surrogate", "surrogates") +
                           " without its partner, shown as U+FFFD; readers that decode it otherwise take the "
                           "character after it with it.");
        }
        if (!verdict.fault) continue;
        report.Add(entry.offset, entry.id,
                   "The XML of the " + ChunkAt(entry) + " is not well-formed: " + *verdict.fault +
                       "; XML readers refuse it, and its metadata with it.");
    }
}

void CheckId3Size(const CheckInput& input, Report& report) {
    for (const MapEntry& entry : input.facts.metadata.id3) {
        const std::optional<std::uint32_t> size =
            formats::Id3TagSize(ReadContent(input, entry, 0, formats::kId3HeaderSize));
        if (!size || formats::kId3HeaderSize + std::uint64_t{*size} <= entry.DeclaredSize()) continue;
        report.Add(entry.offset, entry.id,
                   "The ID3 tag in the " + ChunkAt(entry) + " says " +
                       text::Counted(*size, "byte follows", "bytes follow") +
                       " its 10-byte header, but the chunk holds " +
                       CountSize(entry.DeclaredSize(), "byte", "bytes") +
                       " in all; readers that go by the tag read on into what follows the chunk.");
    }
}

}  // namespace wavecheck::detail
