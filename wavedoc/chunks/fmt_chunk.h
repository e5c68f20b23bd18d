#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// "fmt ": the WAVEFORMATEX fields. 16-bit fields are delivered as their
// unsigned value in 32 bits.
class FmtChunk : public ChunkBase {
public:
    FmtChunk() = default;
    explicit FmtChunk(const ChunkSpan& span);

    std::int32_t ChannelMask() const;           // dwChannelMask (extensible)
    std::int32_t ValidBitsPerSample() const;    // wValidBitsPerSample (extensible)
    std::int32_t ExtraFormatByteCount() const;  // cbSize
    std::int32_t BitsPerSample() const;         // wBitsPerSample
    std::int32_t BytesPerSample() const;        // nBlockAlign
    std::int32_t BytesPerSecond() const;        // nAvgBytesPerSec
    std::int32_t SampleRate() const;            // nSamplesPerSec
    std::int32_t ChannelCount() const;          // nChannels
    std::int32_t CompressionCode() const;       // wFormatTag
    std::string CompressionName() const;        // the usual name of wFormatTag

private:
    FieldReader fields_;
};

}  // namespace wavedoc
