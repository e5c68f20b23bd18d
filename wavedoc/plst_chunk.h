#pragma once

#include <cstdint>
#include <string>

#include "chunk_base.h"
#include "entry_collection.h"
#include "field_reader.h"

namespace wavedoc {

// One 12-byte play segment record; only whole records are ever built.
class PlstSegment {
public:
    PlstSegment(std::string record, std::string owner);

    std::int32_t Repeats() const;     // dwLoops
    std::int32_t Length() const;      // dwLength
    std::int32_t CuePointId() const;  // dwName

private:
    FieldReader fields_;
};

using PlstSegmentCollection = EntryCollection<PlstSegment>;

class PlstChunk : public ChunkBase {
public:
    PlstChunk() = default;
    PlstChunk(std::string name, std::int32_t size, std::string bytes);

    const PlstSegmentCollection& Segments() const { return segments_; }
    std::int32_t SegmentCount() const;  // dwSegments as stored

private:
    FieldReader fields_;
    PlstSegmentCollection segments_;
};

}  // namespace wavedoc
