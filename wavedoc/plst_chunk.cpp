#include "plst_chunk.h"

namespace wavedoc {
namespace {

// dwSegments, then records of dwName, dwLength, dwLoops.
constexpr RecordLayout kPlstLayout{0, 4, 12, "play segment", "play segments"};

}  // namespace

std::int32_t PlstSegment::CuePointId() const { return fields_.Bits32(0, "dwName"); }
std::int32_t PlstSegment::Length() const { return fields_.Bits32(4, "dwLength"); }
std::int32_t PlstSegment::Repeats() const { return fields_.Bits32(8, "dwLoops"); }

PlstChunk::PlstChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}),
      segments_(span, fields_, kPlstLayout) {}

std::int32_t PlstChunk::SegmentCount() const { return fields_.Bits32(0, "dwSegments"); }

}  // namespace wavedoc
