#include "report/measured_report.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "sound/channel_roles.h"
#include "wavecheck/measured_sound.h"

namespace report {

std::string DecibelText(double value, const char* silence) {
    if (!std::isfinite(value)) return silence;
    // Not "-0.00" for a value a little below zero, such as the peak of the
    // largest 16-bit code.
    constexpr double kHalfHundredth = 0.005;
    if (std::fabs(value) < kHalfHundredth) value = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string LinearText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

double PeakDecibels(float peak) {
    return peak > 0 ? 20 * std::log10(static_cast<double>(peak)) : -std::numeric_limits<double>::infinity();
}

std::string SecondsText(const sound::Measurement& measured) {
    if (measured.format.sampleRate == 0) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%.3f",
                  static_cast<double>(measured.frames) / static_cast<double>(measured.format.sampleRate));
    return text;
}

namespace {

std::string SecondsPhrase(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

// A figure that needs `seconds` of audio: why it is not given when it is not.
LoudnessFigure Figure(const char* name, const char* json, std::optional<double> value, const char* unit,
                      double seconds) {
    LoudnessFigure figure{name, json, value, unit, {}, {}};
    if (!value) {
        figure.notGiven = "too short to measure: under " + SecondsPhrase(seconds);
    } else if (!std::isfinite(*value)) {
        figure.notGiven = "silence (-inf)";
    }
    return figure;
}

}  // namespace

std::vector<LoudnessFigure> LoudnessFigures(const sound::Loudness& loudness) {
    std::vector<LoudnessFigure> figures{
        Figure("integrated loudness", "integrated", loudness.integrated, "LUFS", sound::kMomentarySeconds),
        Figure("loudness range", "range", loudness.range, "LU", sound::kShortTermSeconds),
        Figure("true peak", "true_peak", loudness.truePeak, "dBTP", 0),
        Figure("max momentary", "max_momentary", loudness.maxMomentary, "LUFS", sound::kMomentarySeconds),
        Figure("max short-term", "max_short_term", loudness.maxShortTerm, "LUFS", sound::kShortTermSeconds)};
    if (loudness.range && !loudness.rangeJudged) {
        figures[1].remark = "rests on few 3 s blocks under " + SecondsPhrase(sound::kJudgedRangeSeconds) +
                            ": not compared with a stored range";
    }
    return figures;
}

std::string FigureText(const LoudnessFigure& figure) {
    std::string text =
        figure.value ? DecibelText(*figure.value, "-inf") + " " + figure.unit : figure.notGiven;
    if (!figure.remark.empty()) text += " (" + figure.remark + ")";
    return text;
}

std::vector<std::string> LeftOutOfLoudness(const sound::Measurement& measured) {
    std::vector<std::string> leftOut;
    if (!measured.loudness) return leftOut;
    const std::vector<sound::ChannelRole> roles = sound::ChannelRolesOf(measured.format);
    for (std::size_t c = 0; c < roles.size(); ++c) {
        if (roles[c].weight != sound::LoudnessWeight::LeftOut) continue;
        leftOut.push_back("channel " + std::to_string(c + 1) + " (" + roles[c].speaker +
                          "): " + roles[c].leftOutWhy);
    }
    return leftOut;
}

std::string NotFiniteText(const sound::NotFinite& samples) {
    if (samples.Count() == 0) return {};
    return wavecheck::NotFiniteCounts(samples.notANumber, samples.infinite) + ", the first at frame " +
           std::to_string(samples.firstFrame);
}

}  // namespace report
