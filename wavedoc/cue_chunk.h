#pragma once

#include <cstdint>
#include <string>

#include "chunk_base.h"
#include "entry_collection.h"
#include "field_reader.h"

namespace wavedoc {

// One 24-byte cue point record; only whole records are ever built, so its
// reads cannot fail.
class CuePoint {
public:
    CuePoint(std::string record, std::string owner);

    std::int32_t SampleOffset() const;  // dwSampleOffset
    std::int32_t BlockStart() const;    // dwBlockStart
    std::int32_t ChunkStart() const;    // dwChunkStart
    std::string DataChunkId() const;    // fccChunk, as stored
    std::int32_t Position() const;      // dwPosition
    std::int32_t Id() const;            // dwName

private:
    FieldReader fields_;
};

using CuePointCollection = EntryCollection<CuePoint>;

class CueChunk : public ChunkBase {
public:
    CueChunk() = default;
    CueChunk(std::string name, std::int32_t size, std::string bytes);

    const CuePointCollection& CuePoints() const { return cuePoints_; }
    std::int32_t CuePointCount() const;  // dwCuePoints as stored

private:
    FieldReader fields_;
    CuePointCollection cuePoints_;
};

}  // namespace wavedoc
