#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/chunks/record_collection.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// One 12-byte play segment record, read when it is asked for.
class PlstSegment {
public:
    explicit PlstSegment(FieldReader fields) : fields_(std::move(fields)) {}

    std::int32_t Repeats() const;     // dwLoops
    std::int32_t Length() const;      // dwLength
    std::int32_t CuePointId() const;  // dwName

private:
    FieldReader fields_;
};

using PlstSegmentCollection = RecordCollection<PlstSegment>;

class PlstChunk : public ChunkBase {
public:
    PlstChunk() = default;
    explicit PlstChunk(const ChunkSpan& span);

    const PlstSegmentCollection& Segments() const { return segments_; }
    std::int32_t SegmentCount() const;  // dwSegments as stored

private:
    FieldReader fields_;
    PlstSegmentCollection segments_;
};

}  // namespace wavedoc
