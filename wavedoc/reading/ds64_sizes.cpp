#include "wavedoc/reading/ds64_sizes.h"

#include <algorithm>

#include "wavedoc/reading/field_reader.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {

std::optional<std::uint64_t> Ds64Sizes::SizeFor(std::string_view id) const {
    if (id == "data") return HoldsDataSize() ? std::optional(dataSize) : std::nullopt;
    const auto entry =
        std::find_if(table.begin(), table.end(), [&](const Ds64Entry& e) { return e.id == id; });
    if (entry == table.end()) return std::nullopt;
    return entry->size;
}

std::optional<Ds64Sizes> ReadDs64(const ByteSource& source) {
    constexpr std::uint64_t kAt = layout::kRiffHeaderSize;
    const std::string header = source.Read(kAt, layout::kChunkHeaderSize);
    if (header.size() < layout::kChunkHeaderSize || BytesOf(header, layout::header::kId) != layout::kDs64Id) {
        return std::nullopt;
    }
    Ds64Sizes sizes;
    sizes.chunkSize = static_cast<std::uint32_t>(
        FieldReader(header, OwnerName{std::string(layout::kDs64Id)}).Bits32(layout::header::kSize));
    // The fields as far as both the chunk's size and the file hold them.
    std::string head = source.Read(kAt + layout::kChunkHeaderSize,
                                   std::min<std::uint64_t>(sizes.chunkSize, layout::kDs64Fields));
    sizes.heldFields = head.size();
    head.resize(layout::kDs64Fields, '\0');
    const FieldReader fields(head, OwnerName{std::string(layout::kDs64Id)});
    sizes.riffSize = fields.Unsigned64(layout::ds64::kRiffSize);
    sizes.dataSize = fields.Unsigned64(layout::ds64::kDataSize);
    sizes.sampleCount = fields.Unsigned64(layout::ds64::kSampleCount);
    sizes.tableLength = fields.Unsigned32(layout::ds64::kTableLength);
    // The table as far as the chunk holds it, bounded whatever its length says.
    const std::uint64_t room =
        sizes.chunkSize > layout::kDs64Fields ? sizes.chunkSize - layout::kDs64Fields : 0;
    const std::uint64_t entries = std::min<std::uint64_t>(
        {sizes.tableLength, room / layout::kDs64TableEntry, Ds64Sizes::kMostTableEntries});
    const std::string table =
        source.Read(kAt + layout::kChunkHeaderSize + layout::kDs64Fields, entries * layout::kDs64TableEntry);
    const FieldReader tableFields(table, OwnerName{std::string(layout::kDs64Id)});
    for (std::uint64_t i = 0; (i + 1) * layout::kDs64TableEntry <= table.size(); ++i) {
        const std::uint64_t at = i * layout::kDs64TableEntry;
        sizes.table.push_back({tableFields.FourCC(InRecordAt(layout::ds64::kEntryId, at)),
                               tableFields.Unsigned64(InRecordAt(layout::ds64::kEntrySize, at))});
    }
    return sizes;
}

}  // namespace wavedoc
