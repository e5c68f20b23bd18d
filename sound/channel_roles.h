#pragma once

#include <string>
#include <vector>

#include "sound/sample_format.h"

namespace sound {

// How BS.1770 weighs a channel in the loudness: as a front channel (1.0),
// as a surround or back channel (1.41, +1.5 dB), or not at all.
enum class LoudnessWeight { Full, Surround, LeftOut };

// What a channel is: the speaker the file names for it, and its weight in
// the loudness with why it is left out when it is.
struct ChannelRole {
    std::string speaker;  // "Front left", "LFE" ...; empty when the file names none
    LoudnessWeight weight = LoudnessWeight::Full;
    std::string leftOutWhy;  // one phrase when the weight is LeftOut
};

// The role of every channel of a format. With a speaker mask, each channel
// is the speaker of its bit, channels beyond the mask's speakers standing
// for no particular place; without one, mono and stereo are what they are,
// and three channels or more follow the usual order of WAVE files (left,
// right, centre, low frequency, left and right surround), as libebur128
// takes them. The low-frequency channel is left out of the loudness, unless
// it is the only kind of channel the file has; every channel BS.1770 gives
// no other weight counts at 1.0.
std::vector<ChannelRole> ChannelRolesOf(const SampleFormat& format);

}  // namespace sound
