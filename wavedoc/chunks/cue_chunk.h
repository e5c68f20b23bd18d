#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/chunks/record_collection.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// One 24-byte cue point record, read when it is asked for.
class CuePoint {
public:
    explicit CuePoint(FieldReader fields) : fields_(std::move(fields)) {}

    std::int32_t SampleOffset() const;  // dwSampleOffset
    std::int32_t BlockStart() const;    // dwBlockStart
    std::int32_t ChunkStart() const;    // dwChunkStart
    std::string DataChunkId() const;    // fccChunk, as stored
    std::int32_t Position() const;      // dwPosition
    std::int32_t Id() const;            // dwName

private:
    FieldReader fields_;
};

using CuePointCollection = RecordCollection<CuePoint>;

class CueChunk : public ChunkBase {
public:
    CueChunk() = default;
    explicit CueChunk(const ChunkSpan& span);

    const CuePointCollection& CuePoints() const { return cuePoints_; }
    std::int32_t CuePointCount() const;  // dwCuePoints as stored

private:
    FieldReader fields_;
    CuePointCollection cuePoints_;
};

}  // namespace wavedoc
