#pragma once

#include <QString>
#include <cstdint>

// How the structure window writes offsets: one switch for every offset it
// shows (the tree, the bytes, the findings).
enum class OffsetBase { Decimal, Hex };

// "130" or "0x82".
QString OffsetText(std::uint64_t offset, OffsetBase base);
