#include "wavedoc/chunks/fmt_chunk.h"

#include "wavedoc/chunks/compression_names.h"
#include "wavedoc/reading/chunk_fields.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {
FmtChunk::FmtChunk(const ChunkSpan& span)
    : ChunkBase(span.header), fields_(span.head, OwnerName{span.header.id}, span.header.order) {}

std::int32_t FmtChunk::CompressionCode() const { return fields_.Unsigned16(layout::fmt::kFormatTag); }
std::int32_t FmtChunk::ChannelCount() const { return fields_.Unsigned16(layout::fmt::kChannels); }
std::int32_t FmtChunk::SampleRate() const { return fields_.Bits32(layout::fmt::kSamplesPerSec); }
std::int32_t FmtChunk::BytesPerSecond() const { return fields_.Bits32(layout::fmt::kAvgBytesPerSec); }
std::int32_t FmtChunk::BytesPerSample() const { return fields_.Unsigned16(layout::fmt::kBlockAlign); }
std::int32_t FmtChunk::BitsPerSample() const { return fields_.Unsigned16(layout::fmt::kBitsPerSample); }
std::int32_t FmtChunk::ExtraFormatByteCount() const { return fields_.Unsigned16(layout::fmt::kExtraSize); }
std::int32_t FmtChunk::ValidBitsPerSample() const {
    return fields_.Unsigned16(layout::fmt::kValidBitsPerSample);
}
std::int32_t FmtChunk::ChannelMask() const { return fields_.Bits32(layout::fmt::kChannelMask); }

std::string FmtChunk::CompressionName() const {
    const std::string subFormat =
        fields_.Rest(layout::fmt::kSubFormat.offset).substr(0, layout::fmt::kSubFormat.width);
    return CompressionNameOf(CompressionCode(), subFormat);
}

}  // namespace wavedoc
