#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/chunks/chunk_base.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {

// "inst": seven one-byte fields; chFineTune and chGain are signed bytes.
class InstChunk : public ChunkBase {
public:
    InstChunk() = default;
    explicit InstChunk(const ChunkSpan& span);

    std::int16_t HighVelocity() const;   // bHighVelocity
    std::int16_t LowVelocity() const;    // bLowVelocity
    std::int16_t HighNote() const;       // bHighNote
    std::int16_t LowNote() const;        // bLowNote
    std::int16_t Gain() const;           // chGain
    std::int16_t FineTune() const;       // chFineTune
    std::int16_t UnshiftedNote() const;  // bUnshiftedNote

private:
    FieldReader fields_;
};

}  // namespace wavedoc
