#include "wavedoc/chunks/plst_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {
std::int32_t PlstSegment::CuePointId() const { return fields_.Bits32(layout::plst::kName); }
std::int32_t PlstSegment::Length() const { return fields_.Bits32(layout::plst::kLength); }
std::int32_t PlstSegment::Repeats() const { return fields_.Bits32(layout::plst::kLoops); }

PlstChunk::PlstChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}, span.header.order),
      segments_(span, fields_, layout::kPlaySegments) {}

std::int32_t PlstChunk::SegmentCount() const { return fields_.Bits32(layout::plst::kCount); }

}  // namespace wavedoc
