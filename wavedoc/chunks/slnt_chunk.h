#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/field_reader.h"

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
