#pragma once

#include <QString>

// The text with its line breaks (LF, CR, and the Unicode line and paragraph
// separators) read as spaces, for a place that has room for one line: a
// break would lay the rest out on lines that are never seen.
inline QString OnOneLine(QString text) {
    for (const QChar lineBreak : {QChar(u'\n'), QChar(u'\r'), QChar(0x2028), QChar(0x2029)}) {
        text.replace(lineBreak, QLatin1Char(' '));
    }
    return text;
}
