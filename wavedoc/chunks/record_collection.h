#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/field_reader.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {

// The records of a chunk, reached by 1-based position and read from the file
// only when asked for. It holds as many as the count field asks for, but only
// those that fit wholly inside the bytes present, so neither the count nor the
// chunk's size decides what is allocated, and bytes after the counted records
// (such as the sampler data of a smpl chunk) are not taken for records.
template <typename Record>
class RecordCollection {
public:
    RecordCollection() = default;
    RecordCollection(const ChunkSpan& span, const FieldReader& head, const layout::RecordLayout& layout)
        : source_(span.source),
          first_(span.header.dataOffset + layout.firstRecord),
          layout_(layout),
          chunkId_(span.header.id),
          order_(span.header.order) {
        const std::uint64_t present = span.header.presentSize;
        const std::uint64_t fit =
            present > layout.firstRecord ? (present - layout.firstRecord) / layout.recordSize : 0;
        const std::uint64_t count =
            fit == 0 ? 0 : static_cast<std::uint32_t>(head.Bits32(layout.countOffset, "count"));
        held_ = std::min<std::uint64_t>({fit, count, std::numeric_limits<std::int32_t>::max()});
    }

    // The record at 1-based position index; raises WaveDocError for a
    // position the chunk does not hold, FileChangedError when the file is no
    // longer the one analysed.
    Record Item(std::int32_t index) const {
        if (index < 1 || static_cast<std::uint64_t>(index) > held_) {
            throw WaveDocError(NotHeldMessage(chunkId_, held_, layout_.noun, layout_.nounPlural, index));
        }
        const std::uint64_t position = static_cast<std::uint64_t>(index);
        std::string bytes = source_->Read(first_ + (position - 1) * layout_.recordSize, layout_.recordSize);
        return Record(FieldReader(std::move(bytes), OwnerName{chunkId_, layout_.noun, position}, order_));
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(held_); }
    // Where the record at 1-based position index starts in the file, and how
    // long each record is; the position is not checked against the count.
    std::uint64_t ItemOffset(std::int32_t index) const {
        return first_ + (static_cast<std::uint64_t>(index) - 1) * layout_.recordSize;
    }
    std::uint64_t RecordSize() const { return layout_.recordSize; }

private:
    std::shared_ptr<const ByteSource> source_;
    std::uint64_t first_ = 0;
    std::uint64_t held_ = 0;
    layout::RecordLayout layout_{0, 0, 1, "record", "records"};
    std::string chunkId_;
    ByteOrder order_ = ByteOrder::Little;
};

}  // namespace wavedoc
