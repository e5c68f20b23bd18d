#pragma once

#include <cstdint>
#include <string>

#include "chunk_base.h"
#include "field_reader.h"

namespace wavedoc {

class SlntChunk : public ChunkBase {
public:
    SlntChunk() = default;
    explicit SlntChunk(const ChunkSpan& span);

    std::int32_t SilentSampleCount() const;  // dwSamples

private:
    FieldReader fields_;
};

}  // namespace wavedoc
