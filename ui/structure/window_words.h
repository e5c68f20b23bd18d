#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

#include "text/display_text.h"

// How the structure window words what it shows: raw text of the file made
// displayable, numbers in hex and with their thousands grouped.

inline QString Text(std::string_view raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

inline QString Hex(std::uint64_t value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

inline QString Grouped(std::uint64_t value) { return QString::fromStdString(text::GroupedThousands(value)); }
