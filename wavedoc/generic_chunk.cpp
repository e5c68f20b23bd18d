#include "generic_chunk.h"

#include "chunk_naming.h"
#include "wave_error.h"

namespace wavedoc {

GenericChunk::GenericChunk(std::string name, std::int32_t size, std::string content)
    : ChunkBase(std::move(name), size), content_(std::move(content)) {}

GenericChunk::GenericChunk(std::string name, std::int32_t size, std::shared_ptr<const ByteSource> source,
                           std::uint64_t offset, std::uint64_t length)
    : ChunkBase(std::move(name), size), source_(std::move(source)), offset_(offset), length_(length) {}

std::string GenericChunk::Data() const {
    if (content_) return *content_;
    if (!source_) return {};
    try {
        return source_->Read(offset_, length_);
    } catch (const WaveDocError& error) {
        throw WaveDocError("The content of " + ChunkOwnerName(Name()) + " could not be read. " +
                           error.what());
    }
}

void GenericChunk::SetData(std::string content) {
    content_ = std::move(content);
    source_.reset();
}

}  // namespace wavedoc
