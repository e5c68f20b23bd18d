#include "wavedoc/chunks/cue_chunk.h"

namespace wavedoc {
std::int32_t CuePoint::Id() const { return fields_.Bits32(0, "dwName"); }
std::int32_t CuePoint::Position() const { return fields_.Bits32(4, "dwPosition"); }
std::string CuePoint::DataChunkId() const { return fields_.FourCC(8, "fccChunk"); }
std::int32_t CuePoint::ChunkStart() const { return fields_.Bits32(12, "dwChunkStart"); }
std::int32_t CuePoint::BlockStart() const { return fields_.Bits32(16, "dwBlockStart"); }
std::int32_t CuePoint::SampleOffset() const { return fields_.Bits32(20, "dwSampleOffset"); }

CueChunk::CueChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}, span.header.order),
      cuePoints_(span, fields_, layout::kCuePoints) {}

std::int32_t CueChunk::CuePointCount() const { return fields_.Bits32(0, "dwCuePoints"); }

}  // namespace wavedoc
