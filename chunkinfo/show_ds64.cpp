// ds64: the 64-bit sizes of an RF64 or BW64 file (EBU Tech 3306, ITU-R
// BS.2088): the RIFF chunk's, the data chunk's, the number of samples, then
// a table of the other chunks whose size field holds 0xFFFFFFFF. At most
// kMostEntries of the table are read.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/reading/chunk_fields.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {
namespace {

namespace layout = wavedoc::layout;
constexpr std::uint64_t kMostEntries = 1024;

}  // namespace

void ShowDs64(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, layout::kDs64Fields);
    namespace ds64 = layout::ds64;
    rows::AddValueRow(rows, "RIFF size", GroupedCount(fields.Unsigned64(ds64::kRiffSize), "byte", "bytes"),
                      input.At(ds64::kRiffSize));
    rows::AddValueRow(rows, "Data size", GroupedCount(fields.Unsigned64(ds64::kDataSize), "byte", "bytes"),
                      input.At(ds64::kDataSize));
    rows::AddValueRow(rows, "Sample count",
                      GroupedCount(fields.Unsigned64(ds64::kSampleCount), "sample", "samples"),
                      input.At(ds64::kSampleCount));
    const std::uint32_t length = fields.Unsigned32(ds64::kTableLength);
    rows::AddValueRow(rows, "Table length", GroupedCount(length, "entry", "entries"),
                      input.At(ds64::kTableLength));
    const std::uint64_t shown = std::min<std::uint64_t>(length, kMostEntries);
    for (std::uint64_t i = 0; i < shown; ++i) {
        const wavedoc::FieldReader entry =
            input.Fields(layout::kDs64Fields + i * layout::kDs64TableEntry, layout::kDs64TableEntry);
        const rows::ByteRange record =
            input.At(layout::kDs64Fields + i * layout::kDs64TableEntry, layout::kDs64TableEntry);
        rows::AddHeadingRow(rows, "     Table entry #" + std::to_string(i + 1), record);
        AddFixedTextRow(rows, entry, ds64::kEntryId, "     Chunk ID", record);
        rows::AddValueRow(rows, "     Size",
                          GroupedCount(entry.Unsigned64(ds64::kEntrySize), "byte", "bytes"),
                          rows::RangeWithin(record, ds64::kEntrySize));
    }
    if (length > shown)
        AddNotShownRow(rows, GroupedCount(length - shown, "more table entry", "more table entries"));
}

}  // namespace chunkinfo
