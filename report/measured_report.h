#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sound/measure.h"

namespace report {

// The measured sound's figures as ondulo-dump writes them, for the text and
// the JSON writer to lay out. Decibel figures carry two decimals, as bext
// stores them; a figure of silence (-inf) is written as the writer says.

// "-23.01", or `silence` for -inf; a value that rounds to zero is "0.00".
std::string DecibelText(double value, const char* silence);

// A sample magnitude (full scale is 1) in six significant digits.
std::string LinearText(double value);

// The audio's length in seconds, three decimals; empty without a sample
// rate, which gives the frames no length in time.
std::string SecondsText(const sound::Measurement& measured);

// A channel's sample peak in dBFS; -inf for silence.
double PeakDecibels(float peak);

// One loudness figure: its name in text and in JSON, its value and unit,
// and when the value is not a number (silence) or not given (audio too
// short for the figure), why, in a few words.
struct LoudnessFigure {
    const char* name;
    const char* json;
    std::optional<double> value;
    const char* unit;
    std::string notGiven;  // "silence (-inf)", "too short to measure: under 0.4 s"; empty when given
    std::string remark;    // what a reader should know of a given value, or empty
};

// A figure as text shows it: "-23.00 LUFS", "-inf LUFS", "too short to
// measure: under 0.4 s", with its remark in brackets.
std::string FigureText(const LoudnessFigure& figure);

// Integrated loudness, loudness range, true peak, max momentary and max
// short-term, in that order.
std::vector<LoudnessFigure> LoudnessFigures(const sound::Loudness& loudness);

// The channels left out of the loudness, each "channel 4 (LFE): why".
std::vector<std::string> LeftOutOfLoudness(const sound::Measurement& measured);

// A channel's NaN and infinite samples: "3 NaN samples and 1 infinite
// sample, the first at frame 40", or empty when it holds none.
std::string NotFiniteText(const sound::NotFinite& samples);

}  // namespace report
