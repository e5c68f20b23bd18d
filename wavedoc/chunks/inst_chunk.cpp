#include "wavedoc/chunks/inst_chunk.h"

namespace wavedoc {

InstChunk::InstChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int16_t InstChunk::UnshiftedNote() const { return fields_.Unsigned8(0, "bUnshiftedNote"); }
std::int16_t InstChunk::FineTune() const { return fields_.Signed8(1, "chFineTune"); }
std::int16_t InstChunk::Gain() const { return fields_.Signed8(2, "chGain"); }
std::int16_t InstChunk::LowNote() const { return fields_.Unsigned8(3, "bLowNote"); }
std::int16_t InstChunk::HighNote() const { return fields_.Unsigned8(4, "bHighNote"); }
std::int16_t InstChunk::LowVelocity() const { return fields_.Unsigned8(5, "bLowVelocity"); }
std::int16_t InstChunk::HighVelocity() const { return fields_.Unsigned8(6, "bHighVelocity"); }

}  // namespace wavedoc
