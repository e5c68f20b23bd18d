// ds64: the 64-bit sizes of an RF64 or BW64 file (EBU Tech 3306, ITU-R
// BS.2088): the RIFF chunk's, the data chunk's, the number of samples, then
// a table of the other chunks whose size field holds 0xFFFFFFFF. At most
// kMostEntries of the table are read.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {
namespace {

namespace layout = wavedoc::layout;
constexpr std::uint64_t kMostEntries = 1024;

}  // namespace

void ShowDs64(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, layout::kDs64Fields);
    rows::AddValueRow(rows, "RIFF size", GroupedCount(fields.Unsigned64(0, "riffSize"), "byte", "bytes"),
                      input.At(0, 8));
    rows::AddValueRow(rows, "Data size", GroupedCount(fields.Unsigned64(8, "dataSize"), "byte", "bytes"),
                      input.At(8, 8));
    rows::AddValueRow(rows, "Sample count",
                      GroupedCount(fields.Unsigned64(16, "sampleCount"), "sample", "samples"),
                      input.At(16, 8));
    const auto length = static_cast<std::uint32_t>(fields.Bits32(24, "tableLength"));
    rows::AddValueRow(rows, "Table length", GroupedCount(length, "entry", "entries"), input.At(24, 4));
    const std::uint64_t shown = std::min<std::uint64_t>(length, kMostEntries);
    for (std::uint64_t i = 0; i < shown; ++i) {
        const wavedoc::FieldReader entry =
            input.Fields(layout::kDs64Fields + i * layout::kDs64TableEntry, layout::kDs64TableEntry);
        const rows::ByteRange record =
            input.At(layout::kDs64Fields + i * layout::kDs64TableEntry, layout::kDs64TableEntry);
        rows::AddHeadingRow(rows, "     Table entry #" + std::to_string(i + 1), record);
        AddFixedTextRow(rows, entry, 0, 4, "     Chunk ID", record);
        rows::AddValueRow(rows, "     Size", GroupedCount(entry.Unsigned64(4, "chunkSize"), "byte", "bytes"),
                          rows::RangeWithin(record, 4, 8));
    }
    if (length > shown)
        AddNotShownRow(rows, GroupedCount(length - shown, "more table entry", "more table entries"));
}

}  // namespace chunkinfo
