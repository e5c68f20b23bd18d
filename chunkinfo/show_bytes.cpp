// Any chunk without a routine of its own, and stray bytes: the first bytes as
// hex and as text, 16 to a row, the way a hex viewer shows them.
#include <algorithm>
#include <cstdio>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"

namespace chunkinfo {
namespace {

constexpr std::uint64_t kBytesPerRow = 16;
constexpr std::uint64_t kMostRows = 16;

// The bytes as text: printable ASCII as it is, any other byte as a dot.
std::string PrintableText(std::string_view bytes) {
    std::string text(bytes);
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E; },
        '.');
    return text;
}

}  // namespace

void ShowFirstBytes(const ChunkInput& input, rows::RowSink& rows) {
    const std::string bytes = input.Read(0, kBytesPerRow * kMostRows);
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerRow) {
        const std::string_view line = std::string_view(bytes).substr(at, kBytesPerRow);
        char offset[24];
        std::snprintf(offset, sizeof offset, "%08zX", at);
        std::string value = text::HexDigits(line, text::HexCase::Upper, " ");
        value.append((kBytesPerRow - line.size()) * 3 + 2, ' ').append(PrintableText(line));
        rows::AddValueRow(rows, offset, value, input.At(at, line.size()));
    }
    if (input.Present() > bytes.size()) {
        AddNotShownRow(rows, "the other " + GroupedCount(input.Present() - bytes.size(), "byte", "bytes"));
    }
}

}  // namespace chunkinfo
