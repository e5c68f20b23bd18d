#include "sound/channel_roles.h"

#include <algorithm>
#include <array>

namespace sound {
namespace {

// The speakers of the bits of an extensible format's mask, in bit order.
constexpr std::array<const char*, 18> kSpeakerOfBit{
    "Front left",      "Front right",      "Front centre",         "LFE",
    "Back left",       "Back right",       "Front left of centre", "Front right of centre",
    "Back centre",     "Side left",        "Side right",           "Top centre",
    "Top front left",  "Top front centre", "Top front right",      "Top back left",
    "Top back centre", "Top back right"};

constexpr unsigned kLowFrequencyBit = 3;

// The bits whose speakers stand behind or beside the listener, weighed as
// surround channels.
bool IsSurroundBit(unsigned bit) {
    switch (bit) {
        case 4:   // back left
        case 5:   // back right
        case 8:   // back centre
        case 9:   // side left
        case 10:  // side right
        case 15:  // top back left
        case 16:  // top back centre
        case 17:  // top back right
            return true;
        default:
            return false;
    }
}

ChannelRole RoleOfBit(unsigned bit) {
    ChannelRole role;
    role.speaker = bit < kSpeakerOfBit.size() ? kSpeakerOfBit[bit] : "Speaker bit " + std::to_string(bit);
    if (bit == kLowFrequencyBit) {
        role.weight = LoudnessWeight::LeftOut;
        role.leftOutWhy = "the low-frequency channel, which BS.1770 leaves out";
    } else if (IsSurroundBit(bit)) {
        role.weight = LoudnessWeight::Surround;
    }
    return role;
}

std::vector<ChannelRole> RolesOfMask(const SampleFormat& format) {
    std::vector<ChannelRole> roles;
    for (unsigned bit = 0; bit < 32 && roles.size() < format.channels; ++bit) {
        if ((format.channelMask >> bit & 1U) != 0) roles.push_back(RoleOfBit(bit));
    }
    roles.resize(format.channels);
    return roles;
}

// Without a mask: the usual order of three channels or more.
std::vector<ChannelRole> RolesInUsualOrder(const SampleFormat& format) {
    std::vector<ChannelRole> roles(format.channels);
    if (format.channels == 2) {
        roles[0].speaker = "Left";
        roles[1].speaker = "Right";
    }
    if (format.channels < 3) return roles;
    constexpr std::array<const char*, 6> kUsual{"Left", "Right",         "Centre",
                                                "LFE",  "Left surround", "Right surround"};
    for (std::size_t c = 0; c < kUsual.size() && c < roles.size(); ++c) roles[c].speaker = kUsual[c];
    if (roles.size() < 4) return roles;
    roles[3].weight = LoudnessWeight::LeftOut;
    roles[3].leftOutWhy =
        "taken as the low-frequency channel, which BS.1770 leaves out: without a speaker mask, the usual "
        "order puts it fourth";
    for (std::size_t c = 4; c < 6 && c < roles.size(); ++c) roles[c].weight = LoudnessWeight::Surround;
    return roles;
}

}  // namespace

std::vector<ChannelRole> ChannelRolesOf(const SampleFormat& format) {
    std::vector<ChannelRole> roles =
        format.channelMask != 0 ? RolesOfMask(format) : RolesInUsualOrder(format);
    // Low-frequency channels alone: they are the programme, weighed as any.
    const bool allLeftOut = std::all_of(roles.begin(), roles.end(), [](const ChannelRole& role) {
        return role.weight == LoudnessWeight::LeftOut;
    });
    if (allLeftOut) {
        for (ChannelRole& role : roles) {
            role.weight = LoudnessWeight::Full;
            role.leftOutWhy.clear();
        }
    }
    return roles;
}

}  // namespace sound
