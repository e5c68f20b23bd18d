#pragma once

#include <cstddef>

#include "sound/sample_format.h"

namespace sound {

// Decodes whole frames into interleaved floats where full scale is 1: an
// integer sample by 2^(bits-1) (so the most negative code is -1), A-law and
// µ-law through their 16-bit values. Float samples are taken as they are,
// but a NaN counts as silence and an infinity as kMostFloat, so that one
// broken sample cannot turn every figure into NaN.
void DecodeFrames(const SampleFormat& format, const unsigned char* bytes, std::size_t frames, float* out);

inline constexpr float kMostFloat = 1000.0F;

// The sample values at or beyond which a sample counts as clipped: the
// largest and smallest codes of an integer or companded format, ±1 for float.
struct ClipLevels {
    float high = 1.0F;
    float low = -1.0F;
};
ClipLevels ClipLevelsOf(const SampleFormat& format);

}  // namespace sound
