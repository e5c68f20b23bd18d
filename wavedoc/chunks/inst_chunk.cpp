#include "wavedoc/chunks/inst_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {

InstChunk::InstChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int16_t InstChunk::UnshiftedNote() const { return fields_.Unsigned8(layout::inst::kUnshiftedNote); }
std::int16_t InstChunk::FineTune() const { return fields_.Signed8(layout::inst::kFineTune); }
std::int16_t InstChunk::Gain() const { return fields_.Signed8(layout::inst::kGain); }
std::int16_t InstChunk::LowNote() const { return fields_.Unsigned8(layout::inst::kLowNote); }
std::int16_t InstChunk::HighNote() const { return fields_.Unsigned8(layout::inst::kHighNote); }
std::int16_t InstChunk::LowVelocity() const { return fields_.Unsigned8(layout::inst::kLowVelocity); }
std::int16_t InstChunk::HighVelocity() const { return fields_.Unsigned8(layout::inst::kHighVelocity); }

}  // namespace wavedoc
