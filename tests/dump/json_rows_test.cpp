// The fast paths of the JSON output: rows of plain ASCII copied as they are,
// numbers written as digits, a buffer of fixed size. Each must give exactly
// what the general path gives, wherever in a string an awkward byte falls.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>

#include "report/json_writer.h"
#include "report/output_buffer.h"

namespace {

// A string of `length` printable letters with `byte` at `at`.
std::string WithByteAt(std::size_t length, std::size_t at, char byte) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    text[at] = byte;
    return text;
}

// JsonString's text without its quotes.
std::string Inner(std::string_view raw) {
    const std::string json = report::JsonString(raw);
    return json.substr(1, json.size() - 2);
}

// Every control byte, 0x00 to 0x1F, is written as JSON's \u escape, and the
// bytes on either side of the edges are written as JSON wants them.
TEST(JsonFastPaths, ControlBytesAreEscapedUpToTheEdge) {
    const struct {
        std::string raw;
        std::string json;
    } kCases[] = {
        {std::string(1, '\0'), "\\u0000"},
        {"\x01", "\\u0001"},
        {"\t", "\\u0009"},
        {"\x1e", "\\u001e"},
        {"\x1f", "\\u001f"},
        {" ", " "},
        {"\"", "\\\""},
        {"\\", "\\\\"},
        {"~", "~"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(report::JsonString(c.raw), "\"" + c.json + "\"")
            << static_cast<int>(static_cast<unsigned char>(c.raw[0]));
        EXPECT_EQ(report::JsonString("ab" + c.raw + "cd"), "\"ab" + c.json + "cd\"");
    }
}

// A byte JSON cannot take as it is, at every place of strings of every length
// the word and block checks meet (shorter than a word, between, around two
// blocks), is escaped or transcoded exactly as it is on its own; a plain byte
// there leaves the string as it is.
TEST(JsonFastPaths, EveryAwkwardByteIsSeenWhereverItFalls) {
    const char awkward[] = {'\0', '\t', '\x1f', '"', '\\', '\x7f', '\x80', '\xe9', '\xff'};
    const char plain[] = {' ', '!', '#', '[', ']', '~', '0'};
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const char byte : awkward) {
                const std::string raw = WithByteAt(length, at, byte);
                const std::string expected = "\"" + Inner(raw.substr(0, at)) + Inner(std::string(1, byte)) +
                                             Inner(raw.substr(at + 1)) + "\"";
                ASSERT_EQ(report::JsonString(raw), expected)
                    << "length " << length << " at " << at << " byte "
                    << static_cast<int>(static_cast<unsigned char>(byte));
            }
            for (const char byte : plain) {
                const std::string raw = WithByteAt(length, at, byte);
                ASSERT_EQ(report::JsonString(raw), "\"" + raw + "\"") << "length " << length << " at " << at;
            }
        }
    }
}

// What a writer in the one-line layout gives for the rows `write` appends.
template <typename Write>
std::string RowsOf(Write write) {
    std::ostringstream out;
    report::JsonReportWriter writer(out, report::JsonLayout::Line);
    writer.BeginFile("a.wav", report::FileOverview{});
    writer.BeginChunk({"cue ", 4});
    write(writer);
    writer.EndChunk(std::nullopt);
    writer.EndFile();
    const std::string text = out.str();
    const std::size_t start = text.find("\"rows\": [");
    return text.substr(start, text.rfind("], \"error\"") - start);
}

// A value row gives the same JSON whichever way it comes: as label and value,
// as one row with a TAB, as a number; plain or not, short or long.
TEST(JsonFastPaths, RowsComeOutAlikeWhicheverWayTheyAreAppended) {
    const std::string longText(report::OutputBuffer::kCapacity + 100, 'x');
    const std::pair<std::string, std::string> rows[] = {
        {"     Cue point ID", "1"},      {"ID", ""},         {"", "value"},
        {"Label \"quoted\"", "caf\xe9"}, {"Text", longText}, {"     Label text", "line\nbreak"},
    };
    for (const auto& [label, value] : rows) {
        const std::string asValue = RowsOf([&](report::JsonReportWriter& w) { w.AppendValue(label, value); });
        const std::string asRow =
            RowsOf([&](report::JsonReportWriter& w) { w.AppendRow(label + "\t" + value); });
        EXPECT_EQ(asValue, asRow) << label;
        EXPECT_NE(asValue.find(Inner(value)), std::string::npos) << label;
    }
    const std::int64_t numbers[] = {
        0, 7, -1, 2147483647, -2147483647 - 1, std::numeric_limits<std::int64_t>::min()};
    for (const std::int64_t number : numbers) {
        EXPECT_EQ(RowsOf([&](report::JsonReportWriter& w) { w.AppendNumber("     Position", number); }),
                  RowsOf([&](report::JsonReportWriter& w) {
                      w.AppendValue("     Position", std::to_string(number));
                  }));
        EXPECT_EQ(RowsOf([&](report::JsonReportWriter& w) { w.AppendNumber("Tab\there", number); }),
                  RowsOf([&](report::JsonReportWriter& w) {
                      w.AppendRow("Tab\there\t" + std::to_string(number));
                  }));
    }
}

// Thousands of rows that fill the buffer many times over come out whole and
// in order, headings and value rows alike.
TEST(JsonFastPaths, RowsSpanningManyBuffersStayInOrder) {
    const std::string json = RowsOf([](report::JsonReportWriter& w) {
        for (int i = 0; i < 20000; ++i) {
            w.AppendRow("     Cue Point #" + std::to_string(i));
            w.AppendNumber("     ID", i);
        }
    });
    std::string expected = "\"rows\": [";
    for (int i = 0; i < 20000; ++i) {
        expected += std::string(i == 0 ? "" : ", ") + "[\"     Cue Point #" + std::to_string(i) +
                    "\"], [\"     ID\", \"" + std::to_string(i) + "\"]";
    }
    EXPECT_EQ(json, expected);
}

// Put copies every length exactly and writes nothing past it.
TEST(JsonFastPaths, BufferPutCopiesEveryLengthExactly) {
    std::string source;
    for (int i = 0; i < 64; ++i) source += static_cast<char>('A' + i % 58);
    for (std::size_t length = 0; length <= 48; ++length) {
        std::string target(64, '.');
        char* end = report::OutputBuffer::Put(target.data() + 3, std::string_view(source).substr(0, length));
        EXPECT_EQ(end, target.data() + 3 + length);
        EXPECT_EQ(target, "..." + source.substr(0, length) + std::string(61 - length, '.')) << length;
    }
}

}  // namespace
