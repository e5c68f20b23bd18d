#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "byte_source.h"
#include "chunk_base.h"

namespace wavedoc {

// A chunk shown by its raw content: the RIFF header (whose Data is the form
// type), wavl, PAD and data. Content is read from the source only when Data()
// is asked for, so a large data chunk costs nothing at load time.
class GenericChunk : public ChunkBase {
public:
    GenericChunk() = default;
    // Content held in memory (the RIFF form type).
    GenericChunk(std::string name, std::int32_t size, std::string content);
    // Content read on demand: `length` bytes (those present in the file) at `offset`.
    GenericChunk(std::string name, std::int32_t size, std::shared_ptr<const ByteSource> source,
                 std::uint64_t offset, std::uint64_t length);

    // One char per byte. Raises WaveDocError when the content can no longer be read.
    std::string Data() const;
    void SetData(std::string content);

private:
    std::optional<std::string> content_;
    std::shared_ptr<const ByteSource> source_;
    std::uint64_t offset_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace wavedoc
