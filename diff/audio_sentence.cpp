#include "diff/audio_sentence.h"

#include <cstdio>

#include "text/counted.h"

namespace diff {

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f s", seconds);
    return text;
}

std::string AudioSideText(const AudioSide& side) {
    if (!side.present) return "no audio";
    std::string text = side.format.empty() ? "an unknown format" : side.format;
    return text + ", " + text::Counted(side.channels, "channel", "channels") + ", " +
           std::to_string(side.sampleRate) + " Hz, " + text::Counted(side.frames, "frame", "frames");
}

}  // namespace

std::string AudioSentence(const AudioDiff& audio) {
    const std::uint64_t framesA = audio.a.frames;
    const std::uint64_t framesB = audio.b.frames;
    switch (audio.verdict) {
        case AudioVerdict::NoAudio:
            return "neither file has any";
        case AudioVerdict::Identical:
            return audio.acrossByteOrders ? "the same samples (" + text::Counted(framesA, "frame", "frames") +
                                                "), stored in the other byte order"
                                          : "identical (" + text::Counted(framesA, "frame", "frames") + ")";
        case AudioVerdict::Differs:
            return "differs from frame " + std::to_string(*audio.firstFrame) + " (" +
                   Seconds(audio.firstSecond) + ")" +
                   (framesA != framesB ? "; A has " + text::Counted(framesA, "frame", "frames") + ", B " +
                                             std::to_string(framesB)
                                       : std::string());
        case AudioVerdict::LengthDiffers:
            return framesB > framesA
                       ? "the same for A's " + text::Counted(framesA, "frame", "frames") + "; B has " +
                             std::to_string(framesB - framesA) + " more at the end"
                       : "the same for B's " + text::Counted(framesB, "frame", "frames") + "; B ends " +
                             std::to_string(framesA - framesB) + " frames before A";
        case AudioVerdict::OtherFormat:
            return "the same length and rate in another sample format (A " + audio.a.format + ", B " +
                   audio.b.format + "); not compared sample by sample";
        case AudioVerdict::Unlike:
            return "not alike: A " + AudioSideText(audio.a) + "; B " + AudioSideText(audio.b);
    }
    return {};
}

}  // namespace diff
