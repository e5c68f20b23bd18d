#pragma once

namespace text {

// Whether a character has no visible glyph of its own: a format character
// (General_Category Cf), a default-ignorable code point (variation selectors,
// tag characters, Hangul fillers, the combining grapheme joiner and the code
// points Unicode keeps for more of them), or the blank Braille pattern U+2800.
// Two texts that differ only in such characters look alike on a screen.
bool HasNoVisibleGlyph(char32_t c);

}  // namespace text
