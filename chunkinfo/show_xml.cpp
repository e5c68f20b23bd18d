// iXML, _PMX (XMP) and axml: XML shown as an indented tree of elements, each
// with its text, its attributes below it (XMP keeps its values there). The
// XML is read with expat in pieces as the rows need it, so a chunk of any
// size costs at most kMostXmlParsed bytes of parsing and kMostRows rows.
//
// Entities are never expanded: parameter entities are not parsed, and the
// first entity declaration stops the rows, so no "billion laughs" can grow
// from a few bytes. Elements nested deeper than kMostDepth stop them too, as
// expat keeps every open element.
#include <expat.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "formats/xml_reading.h"
#include "text/cut_text.h"
#include "wavedoc/chunks/list_chunk.h"

namespace chunkinfo {
namespace {

constexpr std::size_t kMostRows = 4096;
constexpr int kMostDepth = formats::kMostXmlDepth;
constexpr int kMostIndent = 16;
constexpr std::string_view kIndent = "   ";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Namespace declarations say where names come from, not what the file holds.
bool IsNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || name.substr(0, 6) == "xmlns:";
}

// Turns expat's events into rows. A row waits until its element's first
// child or its end, so that it carries the element's text; mixed text after
// a child gets a row of its own.
class XmlRows {
public:
    // `at` is the XML's range: every row of it carries the whole.
    XmlRows(rows::RowSink& rows, const rows::ByteRange& at)
        : rows_(rows),
          at_(at),
          limit_(rows.TextLimit()),
          owner_(this, OnEntityDeclaration),
          parser_(owner_.Get()) {
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        XML_SetCharacterDataHandler(parser_, OnText);
    }
    XmlRows(const XmlRows&) = delete;
    XmlRows& operator=(const XmlRows&) = delete;

    // Parses the next piece; false once the rows have stopped.
    bool Feed(std::string_view piece, bool last) {
        const auto length = static_cast<int>(piece.size());
        if (XML_Parse(parser_, piece.data(), length, last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
            if (!stopped_) {
                fault_ = At("its XML is not well-formed") + ": " +
                         XML_ErrorString(XML_GetErrorCode(parser_)) + ".";
            }
            stopped_ = true;
        }
        return !stopped_;
    }

    // Appends the row still waiting, then the row for what is left out, and
    // raises DetailStop when the XML could not be read to its end.
    void Finish(std::string_view notRead) {
        // A text still open where reading stopped has no known length: it
        // shows what a cell holds of it, and the row after says the rest is not read.
        if (!notRead.empty() && pending_.length > limit_) {
            pending_.text = std::string(text::CutAtCharacter(pending_.text, limit_));
            pending_.length = pending_.text.size();
        }
        Flush();
        if (!fault_.empty()) throw rows::DetailStop(fault_);
        if (!rest_.empty()) {
            AddNotShownRow(rows_, rest_);
        } else if (!notRead.empty()) {
            AddNotShownRow(rows_, notRead);
        }
    }

private:
    struct Pending {
        std::string label;  // empty: no row waits
        std::string text;   // the first bytes of the text, leading white space left out
        std::uint64_t length = 0;
        std::vector<std::pair<std::string, std::string>> attributes;
    };

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<XmlRows*>(data);
        if (self.stopped_) return;
        self.Flush();
        if (self.depth_ >= kMostDepth) {
            self.Stop(self.At("its XML nests elements more than " + std::to_string(kMostDepth) + " deep") +
                      ".");
            return;
        }
        self.pending_.label = self.Indent(self.depth_) + self.Cut(name);
        // The attributes the element holds come first; those after them are
        // defaults of the document's DTD, which the file does not hold there.
        const auto stored = static_cast<std::size_t>(XML_GetSpecifiedAttributeCount(self.parser_));
        for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2) {
            if (IsNamespaceDeclaration(attributes[i])) continue;
            std::string value = self.Cut(attributes[i + 1]);
            if (i >= stored) value += " (a default of the DTD, not in the element)";
            self.pending_.attributes.emplace_back(
                self.Indent(self.depth_ + 1) + "@" + self.Cut(attributes[i]), std::move(value));
        }
        ++self.depth_;
    }

    static void XMLCALL OnEnd(void* data, const XML_Char* /*name*/) {
        auto& self = *static_cast<XmlRows*>(data);
        if (self.stopped_) return;
        self.Flush();
        --self.depth_;
    }

    static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
        auto& self = *static_cast<XmlRows*>(data);
        if (self.stopped_) return;
        std::string_view piece(text, static_cast<std::size_t>(length));
        Pending& pending = self.pending_;
        if (pending.length == 0) {
            while (!piece.empty() && IsSpace(piece.front())) piece.remove_prefix(1);
            if (piece.empty()) return;
            if (pending.label.empty()) pending.label = self.Indent(self.depth_) + "#text";
        }
        const std::size_t room = self.limit_ + wavedoc::kTextReadAhead -
                                 std::min(pending.text.size(), self.limit_ + wavedoc::kTextReadAhead);
        pending.text.append(piece.substr(0, room));
        pending.length += piece.size();
    }

    static void XMLCALL OnEntityDeclaration(void* data, const XML_Char* /*name*/, int /*parameter*/,
                                            const XML_Char* /*value*/, int /*valueLength*/,
                                            const XML_Char* /*base*/, const XML_Char* /*systemId*/,
                                            const XML_Char* /*publicId*/, const XML_Char* /*notation*/) {
        auto& self = *static_cast<XmlRows*>(data);
        if (self.stopped_) return;
        self.Stop(self.At("its XML declares an entity") + ", and entities are not expanded.");
    }

    // The waiting row and its attribute rows, unless the rows are full.
    void Flush() {
        Pending pending = std::exchange(pending_, Pending{});
        if (pending.label.empty() || !rest_.empty()) return;
        if (pending.length <= limit_) {
            while (!pending.text.empty() && IsSpace(pending.text.back())) pending.text.pop_back();
            pending.length = pending.text.size();
        }
        Append(pending.label, rows::ShownText(std::move(pending.text), pending.length, limit_));
        for (const auto& [label, value] : pending.attributes) Append(label, value);
    }

    void Append(std::string_view label, std::string_view value) {
        if (!rest_.empty()) return;
        if (shown_ == kMostRows) {
            rest_ = "the XML after line " + std::to_string(XML_GetCurrentLineNumber(parser_));
            Stop({});
            return;
        }
        rows::AddValueRow(rows_, label, value, at_);
        ++shown_;
    }

    void Stop(std::string fault) {
        fault_ = std::move(fault);
        stopped_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }

    // "<what> at line 3, column 7", where expat is now.
    std::string At(const std::string& what) const {
        return what + " at line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
               std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
    }

    std::string Indent(int depth) const {
        std::string indent;
        for (int i = 0; i < std::min(depth, kMostIndent); ++i) indent += kIndent;
        return indent;
    }

    std::string Cut(std::string_view text) const {
        return rows::ShownText(std::string(text), text.size(), limit_);
    }

    rows::RowSink& rows_;
    rows::ByteRange at_;
    std::uint64_t limit_;
    formats::XmlParser owner_;
    XML_Parser parser_;
    Pending pending_;
    int depth_ = 0;
    std::size_t shown_ = 0;
    bool stopped_ = false;
    std::string fault_;
    std::string rest_;
};

}  // namespace

void ShowXml(const ChunkInput& input, rows::RowSink& rows) {
    const ByteRun& content = input.Content();
    XmlRows xml(rows, content.At());
    bool holdsXml = false;
    const bool ended = formats::FeedXmlPieces(
        content.Length(),
        [&](std::uint64_t offset, std::uint64_t count) { return content.Read(offset, count); },
        [&](std::string_view piece, bool last) {
            holdsXml = holdsXml || !piece.empty();
            // A chunk of nothing but padding holds no XML to be judged, as
            // the check sees it too.
            if (last && !holdsXml) return false;
            return xml.Feed(piece, last);
        });
    if (!holdsXml) {
        rows::AddValueRow(
            rows, "XML",
            content.Length() == 0
                ? "none: the chunk is empty"
                : "none: the chunk holds only " + GroupedCount(content.Length(), "zero byte", "zero bytes"));
        return;
    }
    xml.Finish(ended ? ""
                     : "the XML after its first " + GroupedCount(formats::kMostXmlParsed, "byte", "bytes"));
}

}  // namespace chunkinfo
