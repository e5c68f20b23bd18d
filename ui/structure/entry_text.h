#pragma once

#include <cstdint>
#include <string>

#include "wavedoc/document/structure_map.h"

// The words the structure tree shows for an entry of the map. Raw bytes of
// the file (ids, list types) come as stored; the view makes them displayable.

// The Chunk column: the id ("fmt "), a list with its type ("LIST (INFO)"), or
// what bytes that are no chunk are ("(stray bytes)").
std::string EntryName(const wavedoc::MapEntry& entry);

// The State column, short: "listed" ("not listed: RIFF files only" in a file
// the chunk list refuses), "later fmt: not listed", "in a list not shown", with "runs past the end", "pad
// byte missing" and "after the RIFF end" added when they hold.
std::string EntryState(const wavedoc::MapEntry& entry, bool listRefused = false);

// A size field as the chunk list shows it: signed, so 0xFFFFFFFF reads -1.
std::string SignedSize(std::uint32_t size);
