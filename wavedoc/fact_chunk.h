#pragma once

#include <cstdint>
#include <string>

#include "chunk_base.h"
#include "field_reader.h"

namespace wavedoc {

class FactChunk : public ChunkBase {
public:
    FactChunk() = default;
    FactChunk(std::string name, std::int32_t size, std::string bytes);

    std::string Content() const;       // the chunk's bytes as the file holds them
    std::int32_t SampleCount() const;  // dwSampleLength, the first field

private:
    FieldReader fields_;
};

}  // namespace wavedoc
