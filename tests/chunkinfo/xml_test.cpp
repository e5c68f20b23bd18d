// XML chunks (iXML, _PMX, axml) as a tree of rows: texts, attributes, mixed
// content, other encodings, and XML that is malformed or built to cost: an
// entity bomb, nesting thousands deep, more rows or bytes than are shown.
#include "chunkinfo_test_support.h"

namespace chunkinfotest {
namespace {

const std::string kIxml = R"(<?xml version="1.0" encoding="UTF-8"?>
<BWFXML>
  <IXML_VERSION>1.61</IXML_VERSION>
  <PROJECT>Ondulo</PROJECT>
  <SPEED>
    <MASTER_SPEED>25/1</MASTER_SPEED>
    <NOTE>  spaced text  </NOTE>
  </SPEED>
  <TRACK_LIST><TRACK><NAME/></TRACK></TRACK_LIST>
</BWFXML>
)";

const std::string kXmp =
    R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)"
    R"(<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmp:CreatorTool="Ondulo &amp; friends">)"
    R"(<dc:title><rdf:Alt><rdf:li xml:lang="x-default">Title</rdf:li></rdf:Alt></dc:title>)"
    R"(</rdf:Description></rdf:RDF></x:xmpmeta>)";

const std::string kBomb = R"(<?xml version="1.0"?>
<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>
<lolz>&lol3;</lolz>)";

std::string Utf16(std::string_view ascii, bool bigEndian) {
    std::string out;
    for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

std::string Utf16LeWithBom(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) out += std::string{c, '\0'};
    return out;
}

// clang-format off
const RowsCase kCases[] = {
    {"ixml_tree_padded_with_zero_bytes", WaveWith(Chunk("iXML", kIxml + std::string(64, '\0'))), "iXML",
     {"BWFXML\t",
      "   IXML_VERSION\t1.61",
      "   PROJECT\tOndulo",
      "   SPEED\t",
      "      MASTER_SPEED\t25/1",
      "      NOTE\tspaced text",
      "   TRACK_LIST\t",
      "      TRACK\t",
      "         NAME\t"}},
    {"xmp_values_in_attributes", WaveWith(Chunk("_PMX", kXmp)), "_PMX",
     {"x:xmpmeta\t",
      "   rdf:RDF\t",
      "      rdf:Description\t",
      "         @rdf:about\t",
      "         @xmp:CreatorTool\tOndulo & friends",
      "         dc:title\t",
      "            rdf:Alt\t",
      "               rdf:li\tTitle",
      "                  @xml:lang\tx-default"}},
    {"axml_mixed_content", WaveWith(Chunk("axml", "<a>lead<b>x</b> tail </a>")), "axml",
     {"a\tlead", "   b\tx", "   #text\ttail"}},
    {"utf16_with_byte_order_mark", WaveWith(Chunk("iXML", Utf16LeWithBom("<a k=\"v\">text</a>"))), "iXML",
     {"a\ttext", "   @k\tv"}},
    {"malformed_keeps_the_rows_before_the_fault", WaveWith(Chunk("iXML", "<a>\n  <b>text</c>\n</a>")), "iXML",
     {"a\t", "   b\ttext"},
     "The iXML chunk could not be shown in full: its XML is not well-formed at line 2, column 12: mismatched tag."},
    {"utf16_little_endian_without_byte_order_mark", WaveWith(Chunk("iXML", Utf16("<a k=\"v\">text</a>", false) + std::string(4, '\0'))), "iXML",
     {"a\ttext", "   @k\tv"}},
    {"utf16_lone_lead_surrogate_as_replacement", WaveWith(Chunk("iXML", Utf16LeWithBom("<a>x") + std::string("\x00\xD8", 2) + Utf16("y</a>", false))), "iXML",
     {"a\tx\xEF\xBF\xBDy"}},
    {"utf16_big_endian_without_byte_order_mark", WaveWith(Chunk("iXML", Utf16("<a>text</b>", true))), "iXML",
     {"a\ttext"},
     "The iXML chunk could not be shown in full: its XML is not well-formed at line 1, column 10: mismatched tag."},
    {"attribute_default_of_the_dtd", WaveWith(Chunk("iXML", "<!DOCTYPE a [<!ATTLIST a k CDATA \"given\" d CDATA \"dflt\">]><a k=\"v\"/>")), "iXML",
     {"a\t", "   @k\tv", "   @d\tdflt (a default of the DTD, not in the element)"}},
    {"only_padding", WaveWith(Chunk("iXML", std::string(8, '\0'))), "iXML", {"XML\tnone: the chunk holds only 8 zero bytes"}},
    {"empty", WaveWith(Chunk("iXML", "")), "iXML", {"XML\tnone: the chunk is empty"}},
    {"entity_bomb_is_never_expanded", WaveWith(Chunk("iXML", kBomb)), "iXML", {},
     "The iXML chunk could not be shown in full: its XML declares an entity at line 2, column 30, and entities are not expanded."},
    {"external_entity_is_never_read",
     WaveWith(Chunk("_PMX", "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>")), "_PMX", {},
     "The _PMX chunk could not be shown in full: its XML declares an entity at line 1, column 52, and entities are not expanded."},
};
// clang-format on

class XmlChunks : public testing::TestWithParam<RowsCase> {};

TEST_P(XmlChunks, ShowTheirTree) { ExpectRows(GetParam()); }

// Cut or overwritten anywhere, the file still shows every entry: rows up to
// the fault and a sentence, never an exception or a stray zero byte.
TEST_P(XmlChunks, ShowDamagedCopiesSafely) { ExpectDamagedCopiesShowSafely(GetParam().file); }

INSTANTIATE_TEST_SUITE_P(Trees, XmlChunks, testing::ValuesIn(kCases), CaseName);

// Nesting, rows and bytes beyond what is shown stop the rows at their caps,
// with one row or one sentence saying where.
TEST(XmlChunks, CostlyXmlStopsAtItsCaps) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<d>";
    const Shown nested = ShowBuilt(WaveWith(Chunk("iXML", deep)), "iXML");
    EXPECT_EQ(nested.rows.size(), 256u);
    EXPECT_EQ(nested.rows.back(), std::string(16 * 3, ' ') + "d\t");
    EXPECT_EQ(nested.error,
              "The iXML chunk could not be shown in full: its XML nests elements more than 256 deep "
              "at line 1, column 769.");

    std::string wide = "<list>";
    for (int i = 0; i < 5000; ++i) wide += "\n<i>" + std::to_string(i) + "</i>";
    const Shown rows = ShowBuilt(WaveWith(Chunk("iXML", wide + "\n</list>")), "iXML");
    ASSERT_EQ(rows.rows.size(), 4097u);
    EXPECT_EQ(rows.rows[4095], "   i\t4094");
    EXPECT_EQ(rows.rows.back(), "Not shown\tthe XML after line 4097");
    EXPECT_EQ(rows.error, std::nullopt);

    const Shown big =
        ShowBuilt(WaveWith(Chunk("iXML", "<big>" + std::string(5 << 20, 'b') + "</big>")), "iXML");
    ASSERT_EQ(big.rows.size(), 2u);
    EXPECT_EQ(big.rows[0], "big\t" + std::string(4096, 'b'));
    EXPECT_EQ(big.rows[1], "Not shown\tthe XML after its first 4,194,304 bytes");
    EXPECT_EQ(big.error, std::nullopt);
}

}  // namespace
}  // namespace chunkinfotest
