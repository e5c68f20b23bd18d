#include "wavedoc/chunks/cue_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {
std::int32_t CuePoint::Id() const { return fields_.Bits32(layout::cue::kName); }
std::int32_t CuePoint::Position() const { return fields_.Bits32(layout::cue::kPosition); }
std::string CuePoint::DataChunkId() const { return fields_.FourCC(layout::cue::kChunk); }
std::int32_t CuePoint::ChunkStart() const { return fields_.Bits32(layout::cue::kChunkStart); }
std::int32_t CuePoint::BlockStart() const { return fields_.Bits32(layout::cue::kBlockStart); }
std::int32_t CuePoint::SampleOffset() const { return fields_.Bits32(layout::cue::kSampleOffset); }

CueChunk::CueChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}, span.header.order),
      cuePoints_(span, fields_, layout::kCuePoints) {}

std::int32_t CueChunk::CuePointCount() const { return fields_.Bits32(layout::cue::kCount); }

}  // namespace wavedoc
