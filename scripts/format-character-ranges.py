#!/usr/bin/env python3
"""Prints the code point ranges of General_Category Cf (format characters) as
rows of the C++ table kFormatCharacters in text/invisible_characters.cpp,
from the Unicode data of this Python's unicodedata module. Run it when that
table should follow a newer Unicode version, name the version printed first
in the table's comment, and lay the file out with clang-format."""
import sys
import unicodedata


def ranges():
    start = None
    for code_point in range(sys.maxunicode + 2):
        inside = code_point <= sys.maxunicode and unicodedata.category(chr(code_point)) == "Cf"
        if inside and start is None:
            start = code_point
        elif not inside and start is not None:
            yield start, code_point - 1
            start = None


def main():
    print(f"// Unicode {unicodedata.unidata_version}")
    for first, last in ranges():
        names = unicodedata.name(chr(first))
        if last != first:
            names += ".." + unicodedata.name(chr(last))
        print(f"    {{0x{first:04X}, 0x{last:04X}}},  // {names}")


if __name__ == "__main__":
    main()
