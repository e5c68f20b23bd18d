#pragma once

#include <string>
#include <string_view>

namespace text {

// Text for a terminal from raw bytes: DisplayUtf8, then written as \uXXXX
// (\UXXXXXXXX above U+FFFF): every control character except TAB (C0, DEL and
// C1), the backslash itself, the line and paragraph separators, and every
// character without a visible glyph of its own (HasNoVisibleGlyph: format
// characters such as direction overrides and zero-width spaces, variation
// selectors, tag characters, fillers). So a file can neither send commands to
// the terminal nor make one text look like another.
std::string TerminalText(std::string_view raw);

// A path for a terminal: like TerminalText, but bytes that are not UTF-8 are
// written as \xHH, so two different names never print alike.
std::string TerminalPath(std::string_view path);

// Whether text goes out as it is: printable ASCII and TAB, no backslash.
bool IsPlainText(std::string_view text);

// Whether a cell shows the text other than it is: it holds a control
// character or one without a visible glyph (a direction override reverses
// what follows, a zero-width space shows nothing). TerminalText then tells.
bool HasHiddenCharacters(std::string_view raw);

}  // namespace text
