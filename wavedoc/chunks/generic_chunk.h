#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"

namespace wavedoc {

// A chunk shown by its raw content: the RIFF header (whose Data is the form
// type), wavl, PAD and data. Only the bytes the view shows are read: the form
// type, the one pad byte; the audio of data and wavl is never read.
class GenericChunk : public ChunkBase {
public:
    GenericChunk() = default;
    // The RIFF header: the form type is its content.
    GenericChunk(std::string name, std::int32_t size, std::string formType);
    explicit GenericChunk(const ChunkSpan& span);

    // The content read at load, one char per byte: the first bytes of the
    // chunk, as many as the view shows (see kChunkTypes).
    const std::string& Data() const { return content_; }
    void SetData(std::string content) { content_ = std::move(content); }

private:
    std::string content_;
};

}  // namespace wavedoc
