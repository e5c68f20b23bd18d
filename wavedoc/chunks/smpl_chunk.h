#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/chunks/record_collection.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// One 24-byte sample loop record, read when it is asked for.
class SampleLoop {
public:
    explicit SampleLoop(FieldReader fields) : fields_(std::move(fields)) {}

    std::int32_t PlayCount() const;   // dwPlayCount
    std::int32_t Fraction() const;    // dwFraction
    std::int32_t End() const;         // dwEnd
    std::int32_t Start() const;       // dwStart
    std::int32_t Type() const;        // dwType
    std::int32_t CuePointId() const;  // dwIdentifier

private:
    FieldReader fields_;
};

using SampleLoopCollection = RecordCollection<SampleLoop>;

class SmplChunk : public ChunkBase {
public:
    SmplChunk() = default;
    explicit SmplChunk(const ChunkSpan& span);

    const SampleLoopCollection& SampleLoops() const { return sampleLoops_; }
    std::int32_t SamplerData() const;        // cbSamplerData
    std::int32_t SampleLoopCount() const;    // cSampleLoops as stored
    std::int32_t SmpteOffset() const;        // dwSMPTEOffset
    std::int32_t SmpteFormat() const;        // dwSMPTEFormat
    std::int32_t MidiPitchFraction() const;  // dwMIDIPitchFraction
    std::int32_t MidiUnityNote() const;      // dwMIDIUnityNote
    std::int32_t SamplePeriod() const;       // dwSamplePeriod
    std::int32_t Product() const;            // dwProduct
    std::int32_t Manufacturer() const;       // dwManufacturer

private:
    FieldReader fields_;
    SampleLoopCollection sampleLoops_;
};

}  // namespace wavedoc
