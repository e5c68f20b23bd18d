// DISP: how a program should show the file, as a Windows clipboard format
// and its data; the text of CF_TEXT is shown, other data by its size.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/chunks/list_chunk.h"

namespace chunkinfo {
namespace {

constexpr std::uint32_t kText = 1;
constexpr wavedoc::Field kType = wavedoc::Unsigned32Field("type", 0);

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
    const std::uint32_t type = input.Fields(0, kType.End()).Unsigned32(kType);
    const std::string_view name = FormatName(type);
    rows::AddValueRow(rows, "Type",
                      std::to_string(type) + (name.empty() ? "" : " (" + std::string(name) + ")"),
                      input.At(kType));
    // The text or data fills the rest of the chunk.
    const ByteRun rest = input.Content().Part(kType.End());
    if (type == kText) {
        const std::string text = rest.Read(0, rows.TextLimit() + wavedoc::kTextReadAhead);
        rows::AddValueRow(rows, "Text", TextValue(text, rest.Length(), rows.TextLimit()), rest.At());
    } else {
        rows::AddValueRow(rows, "Data", GroupedCount(rest.Length(), "byte", "bytes"), rest.At());
    }
}

}  // namespace chunkinfo
