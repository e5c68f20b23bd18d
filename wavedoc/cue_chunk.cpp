#include "cue_chunk.h"

namespace wavedoc {
namespace {

// dwCuePoints, then records of dwName, dwPosition, fccChunk, dwChunkStart,
// dwBlockStart, dwSampleOffset.
constexpr RecordLayout kCueLayout{0, 4, 24, "cue point", "cue points"};

}  // namespace

std::int32_t CuePoint::Id() const { return fields_.Bits32(0, "dwName"); }
std::int32_t CuePoint::Position() const { return fields_.Bits32(4, "dwPosition"); }
std::string CuePoint::DataChunkId() const { return fields_.FourCC(8, "fccChunk"); }
std::int32_t CuePoint::ChunkStart() const { return fields_.Bits32(12, "dwChunkStart"); }
std::int32_t CuePoint::BlockStart() const { return fields_.Bits32(16, "dwBlockStart"); }
std::int32_t CuePoint::SampleOffset() const { return fields_.Bits32(20, "dwSampleOffset"); }

CueChunk::CueChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}),
      cuePoints_(span, fields_, kCueLayout) {}

std::int32_t CueChunk::CuePointCount() const { return fields_.Bits32(0, "dwCuePoints"); }

}  // namespace wavedoc
