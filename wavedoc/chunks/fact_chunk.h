#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

class FactChunk : public ChunkBase {
public:
    FactChunk() = default;
    explicit FactChunk(const ChunkSpan& span);

    std::int32_t SampleCount() const;  // dwSampleLength, the first field

private:
    FieldReader fields_;
};

}  // namespace wavedoc
