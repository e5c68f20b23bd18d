// chna: the channel allocation of the Audio Definition Model (ITU-R BS.2076,
// EBU Tech 3392): how many tracks and track UIDs, then for each UID the
// track it belongs to and the IDs that tie it to the ADM metadata. At most
// kMostEntries are read.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"

namespace chunkinfo {
namespace {

using wavedoc::Field;

constexpr Field kTrackCount = wavedoc::Unsigned16Field("numTracks", 0);
constexpr Field kUidCount = wavedoc::Unsigned16Field("numUIDs", 2);
constexpr std::uint64_t kHeader = kUidCount.End();
// Each entry: trackIndex, UID, trackRef, packRef, then a pad byte.
constexpr Field kTrackIndex = wavedoc::Unsigned16Field("trackIndex", 0);
constexpr Field kUid = wavedoc::TextField("UID", 2, 12);
constexpr Field kTrackRef = wavedoc::TextField("trackRef", 14, 14);
constexpr Field kPackRef = wavedoc::TextField("packRef", 28, 11);
constexpr std::uint64_t kEntrySize = kPackRef.End() + 1;
constexpr std::uint64_t kMostEntries = 1024;

}  // namespace

void ShowChannelAssignment(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader header = input.Fields(0, kHeader);
    rows::AddNumberRow(rows, "Number of tracks", header.Unsigned16(kTrackCount), input.At(kTrackCount));
    const auto count = static_cast<std::uint64_t>(header.Unsigned16(kUidCount));
    rows::AddNumberRow(rows, "Number of track UIDs", static_cast<std::int32_t>(count), input.At(kUidCount));
    const std::uint64_t shown = std::min(count, kMostEntries);
    for (std::uint64_t i = 0; i < shown; ++i) {
        const wavedoc::FieldReader entry = input.Fields(kHeader + i * kEntrySize, kEntrySize);
        const std::int32_t track = entry.Unsigned16(kTrackIndex);
        const rows::ByteRange record = input.At(kHeader + i * kEntrySize, kEntrySize);
        rows::AddHeadingRow(rows, "     Track UID #" + std::to_string(i + 1), record);
        rows::AddNumberRow(rows, "     Track index", track, rows::RangeWithin(record, kTrackIndex));
        AddFixedTextRow(rows, entry, kUid, "     UID", record);
        AddFixedTextRow(rows, entry, kTrackRef, "     Track ref", record);
        AddFixedTextRow(rows, entry, kPackRef, "     Pack ref", record);
    }
    if (count > shown) AddNotShownRow(rows, GroupedCount(count - shown, "more track UID", "more track UIDs"));
}

}  // namespace chunkinfo
