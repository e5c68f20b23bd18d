#include "report/measured_report.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace report {

std::string DecibelText(double value, const char* silence) {
    if (!std::isfinite(value)) return silence;
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
    if (measured.format.sampleRate == 0) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.3f",
                  static_cast<double>(measured.frames) / static_cast<double>(measured.format.sampleRate));
    return text;
}

std::vector<LoudnessFigure> LoudnessFigures(const sound::Loudness& loudness) {
    return {{"integrated loudness", "integrated", loudness.integrated, "LUFS"},
            {"loudness range", "range", loudness.range, "LU"},
            {"true peak", "true_peak", loudness.truePeak, "dBTP"},
            {"max momentary", "max_momentary", loudness.maxMomentary, "LUFS"},
            {"max short-term", "max_short_term", loudness.maxShortTerm, "LUFS"}};
}

}  // namespace report
