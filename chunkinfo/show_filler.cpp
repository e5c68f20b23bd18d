// Filler chunks (JUNK, junk, FLLR, filr and a PAD chunk the list does not
// show): how many bytes they hold and whether every one is zero, as a writer
// that reserves room leaves them. At most kMostChecked bytes are read, in
// pieces, so a filler of gigabytes costs no more than a small one.
#include <algorithm>
#include <optional>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {
namespace {

constexpr std::uint64_t kPiece = 64 * 1024;
constexpr std::uint64_t kMostChecked = 1024 * 1024;

// What the first `checked` bytes show: the offset of the first byte that is
// not zero, or nothing.
std::optional<std::uint64_t> FirstNonZero(const ChunkInput& input, std::uint64_t checked) {
    for (std::uint64_t at = 0; at < checked; at += kPiece) {
        const std::string piece = input.Read(at, std::min(kPiece, checked - at));
        const auto nonZero = std::find_if(piece.begin(), piece.end(), [](char c) { return c != '\0'; });
        if (nonZero != piece.end()) return at + static_cast<std::uint64_t>(nonZero - piece.begin());
    }
    return std::nullopt;
}

std::string ContentText(const ChunkInput& input) {
    const std::uint64_t present = input.Present();
    const std::uint64_t checked = std::min(present, kMostChecked);
    if (const std::optional<std::uint64_t> at = FirstNonZero(input, checked)) {
        return "not all zero: byte " + text::GroupedThousands(*at) + " is 0x" +
               text::HexDigits(input.Read(*at, 1), text::HexCase::Upper);
    }
    if (checked < present) {
        return "the first " + GroupedCount(checked, "byte is", "bytes are") + " zero; the rest is not read";
    }
    if (present == 0) return "empty";
    if (present < input.Entry().DeclaredSize()) {
        return "the " + GroupedCount(present, "byte the file holds is", "bytes the file holds are") + " zero";
    }
    return "all zero";
}

}  // namespace

void ShowFiller(const ChunkInput& input, rows::RowSink& rows) {
    // The size comes from the chunk's size field, or from the ds64 table for a
    // size that field cannot hold: only the field itself is a range then.
    const wavedoc::MapEntry& entry = input.Entry();
    const rows::ByteRange header{entry.offset, wavedoc::layout::kChunkHeaderSize};
    rows::AddValueRow(
        rows, "Size", GroupedCount(entry.DeclaredSize(), "byte", "bytes"),
        entry.ds64Size ? std::nullopt : rows::RangeWithin(header, wavedoc::layout::header::kSize));
    rows::AddValueRow(rows, "Content", ContentText(input), input.Content().At());
}

}  // namespace chunkinfo
