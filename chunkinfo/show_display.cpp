// DISP: how a program should show the file, as a Windows clipboard format
// and its data; the text of CF_TEXT is shown, other data by its size.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/chunks/list_chunk.h"

namespace chunkinfo {
namespace {

constexpr std::uint32_t kText = 1;

std::string_view FormatName(std::uint32_t type) {
    switch (type) {
        case kText:
            return "CF_TEXT";
        case 2:
            return "CF_BITMAP";
        case 3:
            return "CF_METAFILEPICT";
        case 8:
            return "CF_DIB";
        case 13:
            return "CF_UNICODETEXT";
        default:
            return "";
    }
}

}  // namespace

void ShowDisplay(const ChunkInput& input, rows::RowSink& rows) {
    const auto type = static_cast<std::uint32_t>(input.Fields(0, 4).Bits32(0, "type"));
    const std::string_view name = FormatName(type);
    rows::AddValueRow(rows, "Type",
                      std::to_string(type) + (name.empty() ? "" : " (" + std::string(name) + ")"),
                      input.At(0, 4));
    const std::uint64_t length = input.Present() - 4;
    if (type == kText) {
        const std::string text = input.Read(4, rows.TextLimit() + wavedoc::kTextReadAhead);
        rows::AddValueRow(rows, "Text", TextValue(text, length, rows.TextLimit()), input.At(4, length));
    } else {
        rows::AddValueRow(rows, "Data", GroupedCount(length, "byte", "bytes"), input.At(4, length));
    }
}

}  // namespace chunkinfo
