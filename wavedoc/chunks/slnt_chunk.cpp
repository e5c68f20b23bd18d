#include "wavedoc/chunks/slnt_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {

SlntChunk::SlntChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int32_t SlntChunk::SilentSampleCount() const { return fields_.Bits32(layout::slnt::kSamples); }

}  // namespace wavedoc
