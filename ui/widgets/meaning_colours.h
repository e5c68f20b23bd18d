#pragma once

#include <QColor>
#include <initializer_list>

// The colours the windows draw meaning with (kinds of bytes, marks, the
// waveform, markers) are chosen against what they are drawn on: each is a
// hue made light or dark enough to stand at least kLeastContrast:1 from
// every ground it is drawn on, in a light palette and a dark one alike, as
// WCAG asks of graphics that carry meaning.

inline constexpr double kLeastContrast = 3.0;

// The WCAG contrast ratio of two opaque colours, from 1 to 21.
double ContrastRatio(const QColor& one, const QColor& other);

// `top`, with its alpha, laid over the opaque `ground`: the colour one sees.
QColor Over(const QColor& top, const QColor& ground);

// `hue` made darker on light grounds, lighter on dark ones, keeping its hue,
// until it stands kLeastContrast:1 from each of `grounds` (as near as it can
// come when no lightness does).
QColor Readable(const QColor& hue, std::initializer_list<QColor> grounds);
