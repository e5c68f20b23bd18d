#include "wavedoc/chunks/smpl_chunk.h"

namespace wavedoc {
std::int32_t SampleLoop::CuePointId() const { return fields_.Bits32(0, "dwIdentifier"); }
std::int32_t SampleLoop::Type() const { return fields_.Bits32(4, "dwType"); }
std::int32_t SampleLoop::Start() const { return fields_.Bits32(8, "dwStart"); }
std::int32_t SampleLoop::End() const { return fields_.Bits32(12, "dwEnd"); }
std::int32_t SampleLoop::Fraction() const { return fields_.Bits32(16, "dwFraction"); }
std::int32_t SampleLoop::PlayCount() const { return fields_.Bits32(20, "dwPlayCount"); }

SmplChunk::SmplChunk(const ChunkSpan& span)
    : ChunkBase(span.header),
      fields_(span.head, OwnerName{span.header.id}, span.header.order),
      sampleLoops_(span, fields_, layout::kSampleLoops) {}

std::int32_t SmplChunk::Manufacturer() const { return fields_.Bits32(0, "dwManufacturer"); }
std::int32_t SmplChunk::Product() const { return fields_.Bits32(4, "dwProduct"); }
std::int32_t SmplChunk::SamplePeriod() const { return fields_.Bits32(8, "dwSamplePeriod"); }
std::int32_t SmplChunk::MidiUnityNote() const { return fields_.Bits32(12, "dwMIDIUnityNote"); }
std::int32_t SmplChunk::MidiPitchFraction() const { return fields_.Bits32(16, "dwMIDIPitchFraction"); }
std::int32_t SmplChunk::SmpteFormat() const { return fields_.Bits32(20, "dwSMPTEFormat"); }
std::int32_t SmplChunk::SmpteOffset() const { return fields_.Bits32(24, "dwSMPTEOffset"); }
std::int32_t SmplChunk::SampleLoopCount() const { return fields_.Bits32(28, "cSampleLoops"); }
std::int32_t SmplChunk::SamplerData() const { return fields_.Bits32(32, "cbSamplerData"); }

}  // namespace wavedoc
