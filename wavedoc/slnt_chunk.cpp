#include "slnt_chunk.h"

#include "chunk_naming.h"

namespace wavedoc {

SlntChunk::SlntChunk(std::string name, std::int32_t size, std::string bytes)
    : ChunkBase(name, size), fields_(std::move(bytes), ChunkOwnerName(name)) {}

std::int32_t SlntChunk::SilentSampleCount() const { return fields_.Bits32(0, "dwSamples"); }

}  // namespace wavedoc
