#pragma once

#include <cstdint>
#include <string>

namespace rows {

// "60 (C5)": a MIDI note number, then its name and octave. The quotient and
// remainder by 12 are cut toward zero, so a negative note has no name and its
// octave is the truncated quotient ("-13 (-1)"). Raises DetailStop when the
// octave does not fit in 16 bits.
std::string NoteText(std::int32_t note);

}  // namespace rows
