#pragma once

#include <string>
#include <vector>

#include "sound/measure.h"

namespace report {

// The measured sound's figures as ondulo-dump writes them, for the text and
// the JSON writer to lay out. Decibel figures carry two decimals, as bext
// stores them; a figure of silence (-inf) is written as the writer says.

// "-23.01", or `silence` for -inf.
std::string DecibelText(double value, const char* silence);

// A sample magnitude (full scale is 1) in six significant digits.
std::string LinearText(double value);

// The audio's length in seconds, three decimals; "0" without a sample rate.
std::string SecondsText(const sound::Measurement& measured);

// A channel's sample peak in dBFS; -inf for silence.
double PeakDecibels(float peak);

// One loudness figure: its name in text and in JSON, its value and unit.
struct LoudnessFigure {
    const char* name;
    const char* json;
    double value;
    const char* unit;
};

// Integrated loudness, loudness range, true peak, max momentary and max
// short-term, in that order.
std::vector<LoudnessFigure> LoudnessFigures(const sound::Loudness& loudness);

}  // namespace report
