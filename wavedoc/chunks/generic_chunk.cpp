#include "wavedoc/chunks/generic_chunk.h"

namespace wavedoc {

GenericChunk::GenericChunk(std::string name, std::int32_t size, std::string formType)
    : ChunkBase(std::move(name), size, 0), content_(std::move(formType)) {}

GenericChunk::GenericChunk(const ChunkSpan& span) : ChunkBase(span.header), content_(span.head) {}

}  // namespace wavedoc
