#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/sample_format.h"

namespace sound {

// The float samples of one channel that hold no number (NaN) or an
// infinity: readers play them as full-scale noise or as silence.
struct NotFinite {
    std::uint64_t notANumber = 0;
    std::uint64_t infinite = 0;
    std::uint64_t firstFrame = 0;  // the first frame holding one, when any does

    std::uint64_t Count() const { return notANumber + infinite; }
};

// Decodes whole frames into interleaved floats where full scale is 1: an
// integer sample by 2^(bits-1) (so the most negative code is -1), A-law and
// µ-law through their 16-bit values. Float samples are taken as they are
// stored (a 64-bit one beyond a float's range as the largest float), but a
// NaN or an infinity is decoded as silence, so that one broken sample cannot
// turn every figure into NaN; with `notFinite` (one per channel) they are
// counted there, `firstFrame` being the frame number of the first of
// `frames`.
void DecodeFrames(const SampleFormat& format, const unsigned char* bytes, std::size_t frames, float* out,
                  NotFinite* notFinite = nullptr, std::uint64_t firstFrame = 0);

// The sample values at or beyond which a sample counts as clipped: the
// largest and smallest codes of an integer or companded format, ±1 for float.
struct ClipLevels {
    float high = 1.0F;
    float low = -1.0F;
};
ClipLevels ClipLevelsOf(const SampleFormat& format);

}  // namespace sound
