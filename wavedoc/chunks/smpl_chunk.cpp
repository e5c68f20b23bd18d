#include "wavedoc/chunks/smpl_chunk.h"

#include "wavedoc/reading/chunk_fields.h"

namespace wavedoc {
std::int32_t SampleLoop::CuePointId() const { return fields_.Bits32(layout::smpl::kLoopIdentifier); }
std::int32_t SampleLoop::Type() const { return fields_.Bits32(layout::smpl::kLoopType); }
std::int32_t SampleLoop::Start() const { return fields_.Bits32(layout::smpl::kLoopStart); }
std::int32_t SampleLoop::End() const { return fields_.Bits32(layout::smpl::kLoopEnd); }
std::int32_t SampleLoop::Fraction() const { return fields_.Bits32(layout::smpl::kLoopFraction); }
std::int32_t SampleLoop::PlayCount() const { return fields_.Bits32(layout::smpl::kLoopPlayCount); }

SmplChunk::SmplChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}, span.header.order),
      sampleLoops_(span, fields_, layout::kSampleLoops) {}

std::int32_t SmplChunk::Manufacturer() const { return fields_.Bits32(layout::smpl::kManufacturer); }
std::int32_t SmplChunk::Product() const { return fields_.Bits32(layout::smpl::kProduct); }
std::int32_t SmplChunk::SamplePeriod() const { return fields_.Bits32(layout::smpl::kSamplePeriod); }
std::int32_t SmplChunk::MidiUnityNote() const { return fields_.Bits32(layout::smpl::kUnityNote); }
std::int32_t SmplChunk::MidiPitchFraction() const { return fields_.Bits32(layout::smpl::kPitchFraction); }
std::int32_t SmplChunk::SmpteFormat() const { return fields_.Bits32(layout::smpl::kSmpteFormat); }
std::int32_t SmplChunk::SmpteOffset() const { return fields_.Bits32(layout::smpl::kSmpteOffset); }
std::int32_t SmplChunk::SampleLoopCount() const { return fields_.Bits32(layout::smpl::kLoopCount); }
std::int32_t SmplChunk::SamplerData() const { return fields_.Bits32(layout::smpl::kSamplerData); }

}  // namespace wavedoc
