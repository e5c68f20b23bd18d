#include "invisible_characters.h"

#include <algorithm>
#include <span>

namespace text {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// General_Category Cf, Unicode 14.0, as scripts/format-character-ranges.py
// prints it. The number signs and marks above of Arabic, Syriac and Kaithi
// (U+0600..0605, U+06DD, U+070F, U+0890..0891, U+08E2, U+110BD, U+110CD) are
// drawn over the digits after them rather than standing alone, so they are
// kept with the rest.
constexpr Range kFormatCharacters[] = {
    {0x00AD, 0x00AD},    // SOFT HYPHEN
    {0x0600, 0x0605},    // ARABIC NUMBER SIGN..ARABIC NUMBER MARK ABOVE
    {0x061C, 0x061C},    // ARABIC LETTER MARK
    {0x06DD, 0x06DD},    // ARABIC END OF AYAH
    {0x070F, 0x070F},    // SYRIAC ABBREVIATION MARK
    {0x0890, 0x0891},    // ARABIC POUND MARK ABOVE..ARABIC PIASTRE MARK ABOVE
    {0x08E2, 0x08E2},    // ARABIC DISPUTED END OF AYAH
    {0x180E, 0x180E},    // MONGOLIAN VOWEL SEPARATOR
    {0x200B, 0x200F},    // ZERO WIDTH SPACE..RIGHT-TO-LEFT MARK
    {0x202A, 0x202E},    // LEFT-TO-RIGHT EMBEDDING..RIGHT-TO-LEFT OVERRIDE
    {0x2060, 0x2064},    // WORD JOINER..INVISIBLE PLUS
    {0x2066, 0x206F},    // LEFT-TO-RIGHT ISOLATE..NOMINAL DIGIT SHAPES
    {0xFEFF, 0xFEFF},    // ZERO WIDTH NO-BREAK SPACE
    {0xFFF9, 0xFFFB},    // INTERLINEAR ANNOTATION ANCHOR..INTERLINEAR ANNOTATION TERMINATOR
    {0x110BD, 0x110BD},  // KAITHI NUMBER SIGN
    {0x110CD, 0x110CD},  // KAITHI NUMBER SIGN ABOVE
    {0x13430, 0x13438},  // EGYPTIAN HIEROGLYPH VERTICAL JOINER..EGYPTIAN HIEROGLYPH END SEGMENT
    {0x1BCA0, 0x1BCA3},  // SHORTHAND FORMAT LETTER OVERLAP..SHORTHAND FORMAT UP STEP
    {0x1D173, 0x1D17A},  // MUSICAL SYMBOL BEGIN BEAM..MUSICAL SYMBOL END PHRASE
    {0xE0001, 0xE0001},  // LANGUAGE TAG
    {0xE0020, 0xE007F},  // TAG SPACE..CANCEL TAG
};

// Default_Ignorable_Code_Point as DerivedCoreProperties.txt of Unicode 14.0
// lists it (15.0 and 15.1 list the same ranges), adjoining ranges joined.
// Its unassigned code points are kept for characters of the kind to come.
constexpr Range kDefaultIgnorable[] = {
    {0x00AD, 0x00AD},    // SOFT HYPHEN
    {0x034F, 0x034F},    // COMBINING GRAPHEME JOINER
    {0x061C, 0x061C},    // ARABIC LETTER MARK
    {0x115F, 0x1160},    // HANGUL CHOSEONG FILLER..HANGUL JUNGSEONG FILLER
    {0x17B4, 0x17B5},    // KHMER VOWEL INHERENT AQ..KHMER VOWEL INHERENT AA
    {0x180B, 0x180F},    // MONGOLIAN FREE VARIATION SELECTOR ONE..FOUR, VOWEL SEPARATOR
    {0x200B, 0x200F},    // ZERO WIDTH SPACE..RIGHT-TO-LEFT MARK
    {0x202A, 0x202E},    // LEFT-TO-RIGHT EMBEDDING..RIGHT-TO-LEFT OVERRIDE
    {0x2060, 0x206F},    // WORD JOINER..NOMINAL DIGIT SHAPES, reserved U+2065
    {0x3164, 0x3164},    // HANGUL FILLER
    {0xFE00, 0xFE0F},    // VARIATION SELECTOR-1..VARIATION SELECTOR-16
    {0xFEFF, 0xFEFF},    // ZERO WIDTH NO-BREAK SPACE
    {0xFFA0, 0xFFA0},    // HALFWIDTH HANGUL FILLER
    {0xFFF0, 0xFFF8},    // reserved
    {0x1BCA0, 0x1BCA3},  // SHORTHAND FORMAT LETTER OVERLAP..SHORTHAND FORMAT UP STEP
    {0x1D173, 0x1D17A},  // MUSICAL SYMBOL BEGIN BEAM..MUSICAL SYMBOL END PHRASE
    {0xE0000, 0xE0FFF},  // LANGUAGE TAG, TAG SPACE..CANCEL TAG, VARIATION SELECTOR-17..256, reserved
};

// Drawn as an empty cell, yet neither list names it; the Hangul fillers,
// blank in the same way, are default-ignorable.
constexpr char32_t kBraillePatternBlank = 0x2800;

// Ranges in ascending order without overlaps, as the lookup needs them.
constexpr bool Ascending(std::span<const Range> ranges) {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].first > ranges[i].last) return false;
        if (i > 0 && ranges[i - 1].last >= ranges[i].first) return false;
    }
    return true;
}
static_assert(Ascending(kFormatCharacters) && Ascending(kDefaultIgnorable));

// Binary search for the first range that ends at or after c.
bool InRanges(std::span<const Range> ranges, char32_t c) {
    const auto range = std::lower_bound(ranges.begin(), ranges.end(), c,
                                        [](const Range& r, char32_t value) { return r.last < value; });
    return range != ranges.end() && range->first <= c;
}

}  // namespace

bool HasNoVisibleGlyph(char32_t c) {
    return InRanges(kFormatCharacters, c) || InRanges(kDefaultIgnorable, c) || c == kBraillePatternBlank;
}

}  // namespace text
