#include "wavedoc/chunks/fmt_chunk.h"

#include "wavedoc/chunks/compression_names.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {
FmtChunk::FmtChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int32_t FmtChunk::CompressionCode() const { return fields_.Unsigned16(0, "wFormatTag"); }
std::int32_t FmtChunk::ChannelCount() const { return fields_.Unsigned16(2, "nChannels"); }
std::int32_t FmtChunk::SampleRate() const { return fields_.Bits32(4, "nSamplesPerSec"); }
std::int32_t FmtChunk::BytesPerSecond() const { return fields_.Bits32(8, "nAvgBytesPerSec"); }
std::int32_t FmtChunk::BytesPerSample() const { return fields_.Unsigned16(12, "nBlockAlign"); }
std::int32_t FmtChunk::BitsPerSample() const { return fields_.Unsigned16(14, "wBitsPerSample"); }
std::int32_t FmtChunk::ExtraFormatByteCount() const { return fields_.Unsigned16(16, "cbSize"); }
std::int32_t FmtChunk::ValidBitsPerSample() const { return fields_.Unsigned16(18, "wValidBitsPerSample"); }
std::int32_t FmtChunk::ChannelMask() const { return fields_.Bits32(20, "dwChannelMask"); }

std::string FmtChunk::CompressionName() const {
    const std::string subFormat = fields_.Rest(layout::kSubFormatOffset).substr(0, layout::kGuidSize);
    return CompressionNameOf(CompressionCode(), subFormat);
}

}  // namespace wavedoc
