#pragma once

#include <iosfwd>
#include <string>

#include "sound/measure.h"

namespace report {

// The measured sound as ondulo-dump writes it. Decibel figures carry two
// decimals, as bext stores them; a figure of silence (-inf) is "-inf" in
// text and null in JSON.

// "measured:", then one line per figure, name and value separated by a TAB:
// the format and length, the loudness figures (or why there are none), and
// for each channel its sample peak, where it first occurs and how many
// samples are clipped. A file whose audio is not decoded has the one line
// "! sentence".
void WriteMeasured(std::ostream& out, const sound::Measurement& measured);

// The same as a JSON object: {"unmeasured", "format", "channels",
// "sample_rate", "frames", "seconds", "loudness": {"integrated", "range",
// "true_peak", "max_momentary", "max_short_term"} or null,
// "loudness_unmeasured", "channel_peaks": [{"channel", "sample_peak",
// "sample_peak_dbfs", "peak_frame", "clipped"}]}.
std::string JsonMeasured(const sound::Measurement& measured);

}  // namespace report
