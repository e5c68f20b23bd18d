#include "fact_chunk.h"

#include "chunk_naming.h"

namespace wavedoc {

FactChunk::FactChunk(std::string name, std::int32_t size, std::string bytes)
    : ChunkBase(name, size), fields_(std::move(bytes), ChunkOwnerName(name)) {}

std::string FactChunk::Content() const { return fields_.Bytes(); }
std::int32_t FactChunk::SampleCount() const { return fields_.Bits32(0, "dwSampleLength"); }

}  // namespace wavedoc
