// chna: the channel allocation of the Audio Definition Model (ITU-R BS.2076,
// EBU Tech 3392): how many tracks and track UIDs, then for each UID the
// track it belongs to and the IDs that tie it to the ADM metadata. At most
// kMostEntries are read.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"

namespace chunkinfo {
namespace {

constexpr std::uint64_t kHeader = 4;
constexpr std::uint64_t kEntrySize = 40;  // trackIndex, UID (12), trackRef (14), packRef (11), a pad byte
constexpr std::uint64_t kMostEntries = 1024;

}  // namespace

void ShowChannelAssignment(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader header = input.Fields(0, kHeader);
    rows::AddNumberRow(rows, "Number of tracks", header.Unsigned16(0, "numTracks"), input.At(0, 2));
    const auto count = static_cast<std::uint64_t>(header.Unsigned16(2, "numUIDs"));
    rows::AddNumberRow(rows, "Number of track UIDs", static_cast<std::int32_t>(count), input.At(2, 2));
    const std::uint64_t shown = std::min(count, kMostEntries);
    for (std::uint64_t i = 0; i < shown; ++i) {
        const wavedoc::FieldReader entry = input.Fields(kHeader + i * kEntrySize, kEntrySize);
        const std::int32_t track = entry.Unsigned16(0, "trackIndex");
        const rows::ByteRange record = input.At(kHeader + i * kEntrySize, kEntrySize);
        rows::AddHeadingRow(rows, "     Track UID #" + std::to_string(i + 1), record);
        rows::AddNumberRow(rows, "     Track index", track, rows::RangeWithin(record, 0, 2));
        AddFixedTextRow(rows, entry, 2, 12, "     UID", record);
        AddFixedTextRow(rows, entry, 14, 14, "     Track ref", record);
        AddFixedTextRow(rows, entry, 28, 11, "     Pack ref", record);
    }
    if (count > shown) AddNotShownRow(rows, GroupedCount(count - shown, "more track UID", "more track UIDs"));
}

}  // namespace chunkinfo
