#include "wavedoc/chunks/fact_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {

FactChunk::FactChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int32_t FactChunk::SampleCount() const { return fields_.Bits32(layout::fact::kSampleLength); }

}  // namespace wavedoc
