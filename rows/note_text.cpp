#include "note_text.h"

#include <array>
#include <limits>
#include <string_view>

#include "detail_rows.h"

namespace rows {

namespace {

constexpr std::array<std::string_view, 12> kNoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                         "F#", "G",  "G#", "A",  "A#", "B"};

}  // namespace

std::string NoteText(std::int32_t note) {
    const std::int32_t octave = note / 12;
    const std::int32_t remainder = note % 12;
    if (octave < std::numeric_limits<std::int16_t>::min() ||
        octave > std::numeric_limits<std::int16_t>::max()) {
        throw DetailStop("its MIDI unity note, " + std::to_string(note) + ", lies in octave " +
                         std::to_string(octave) + ", which does not fit in 16 bits.");
    }
    const std::string_view name = remainder >= 0 ? kNoteNames[static_cast<std::size_t>(remainder)] : "";
    return std::to_string(note) + " (" + std::string(name) + std::to_string(octave) + ")";
}

}  // namespace rows
