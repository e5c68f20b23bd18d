#include "plst_chunk.h"

#include "chunk_naming.h"
#include "fixed_records.h"

namespace wavedoc {
namespace {

// dwSegments, then records of dwName, dwLength, dwLoops.
constexpr RecordLayout kPlstLayout{0, 4, 12, "play segment", "play segments"};

}  // namespace

PlstSegment::PlstSegment(std::string record, std::string owner)
    : fields_(std::move(record), std::move(owner)) {}

std::int32_t PlstSegment::CuePointId() const { return fields_.Bits32(0, "dwName"); }
std::int32_t PlstSegment::Length() const { return fields_.Bits32(4, "dwLength"); }
std::int32_t PlstSegment::Repeats() const { return fields_.Bits32(8, "dwLoops"); }

PlstChunk::PlstChunk(std::string name, std::int32_t size, std::string bytes)
    : ChunkBase(name, size), fields_(std::move(bytes), ChunkOwnerName(name)) {
    segments_ = SplitRecords<PlstSegment>(fields_, kPlstLayout);
}

std::int32_t PlstChunk::SegmentCount() const { return fields_.Bits32(0, "dwSegments"); }

}  // namespace wavedoc
