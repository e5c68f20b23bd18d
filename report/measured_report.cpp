#include "report/measured_report.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>
#include <vector>

#include "report/json_writer.h"
#include "report/text_report.h"
#include "text/counted.h"

namespace report {

namespace {

// "-23.01", or `silence` for -inf.
std::string Decibels(double value, const char* silence) {
    if (!std::isfinite(value)) return silence;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Linear(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

double PeakDecibels(float peak) {
    return peak > 0 ? 20 * std::log10(static_cast<double>(peak)) : -std::numeric_limits<double>::infinity();
}

std::string Seconds(const sound::Measurement& measured) {
    if (measured.format.sampleRate == 0) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.3f",
                  static_cast<double>(measured.frames) / static_cast<double>(measured.format.sampleRate));
    return text;
}

struct Figure {
    const char* name;
    const char* json;
    double value;
    const char* unit;
};

std::vector<Figure> LoudnessFigures(const sound::Loudness& loudness) {
    return {{"integrated loudness", "integrated", loudness.integrated, "LUFS"},
            {"loudness range", "range", loudness.range, "LU"},
            {"true peak", "true_peak", loudness.truePeak, "dBTP"},
            {"max momentary", "max_momentary", loudness.maxMomentary, "LUFS"},
            {"max short-term", "max_short_term", loudness.maxShortTerm, "LUFS"}};
}

}  // namespace

void WriteMeasured(std::ostream& out, const sound::Measurement& measured) {
    out << "measured:\n";
    if (!measured.Measured()) {
        out << "! " << text::TerminalText(measured.unmeasured) << '\n';
        return;
    }
    const sound::SampleFormat& format = measured.format;
    out << "  format\t" << text::TerminalText(format.Name()) << ", "
        << text::Counted(format.channels, "channel", "channels") << ", " << format.sampleRate << " Hz\n"
        << "  length\t" << text::Counted(measured.frames, "frame", "frames") << " (" << Seconds(measured)
        << " s)\n";
    if (measured.loudness) {
        for (const Figure& figure : LoudnessFigures(*measured.loudness)) {
            out << "  " << figure.name << '\t' << Decibels(figure.value, "-inf") << ' ' << figure.unit
                << '\n';
        }
    } else {
        out << "  loudness\tnot measured: " << text::TerminalText(measured.loudnessUnmeasured) << '\n';
    }
    for (std::size_t c = 0; c < measured.channels.size(); ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        out << "  channel " << c + 1 << "\tsample peak " << Linear(channel.peak) << " ("
            << Decibels(PeakDecibels(channel.peak), "-inf") << " dBFS) at frame " << channel.peakFrame << ", "
            << text::Counted(channel.clipped, "sample", "samples") << " clipped\n";
    }
    if (measured.stopped) out << "! The measuring was stopped before the end of the audio.\n";
}

std::string JsonMeasured(const sound::Measurement& measured) {
    if (!measured.Measured()) return "{\"unmeasured\": " + JsonString(measured.unmeasured) + "}";
    const sound::SampleFormat& format = measured.format;
    std::string json = "{\"unmeasured\": null, \"format\": " + JsonString(format.Name()) +
                       ", \"channels\": " + std::to_string(format.channels) +
                       ", \"sample_rate\": " + std::to_string(format.sampleRate) +
                       ", \"frames\": " + std::to_string(measured.frames) +
                       ", \"seconds\": " + Seconds(measured) + ", \"loudness\": ";
    if (measured.loudness) {
        json += "{";
        const std::vector<Figure> figures = LoudnessFigures(*measured.loudness);
        for (std::size_t i = 0; i < figures.size(); ++i) {
            json += std::string(i == 0 ? "" : ", ") + "\"" + figures[i].json +
                    "\": " + Decibels(figures[i].value, "null");
        }
        json += "}, \"loudness_unmeasured\": null";
    } else {
        json += "null, \"loudness_unmeasured\": " + JsonString(measured.loudnessUnmeasured);
    }
    json += ", \"channel_peaks\": [";
    for (std::size_t c = 0; c < measured.channels.size(); ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        json += std::string(c == 0 ? "" : ", ") + "{\"channel\": " + std::to_string(c + 1) +
                ", \"sample_peak\": " + Linear(channel.peak) +
                ", \"sample_peak_dbfs\": " + Decibels(PeakDecibels(channel.peak), "null") +
                ", \"peak_frame\": " + std::to_string(channel.peakFrame) +
                ", \"clipped\": " + std::to_string(channel.clipped) + "}";
    }
    return json + "], \"stopped\": " + (measured.stopped ? "true" : "false") + "}";
}

}  // namespace report
