#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/widgets/job_control.h"

namespace wavedoc {
class ByteSource;
}

// What a search looks for: one or more byte patterns (a text as UTF-8 and as
// UTF-16, or the bytes given in hex); a hit is the first place any of them
// starts.
struct SearchPatterns {
    std::vector<std::string> patterns;
    std::string problem;  // why the text asked for cannot be searched for, or empty
};

// What the user typed: hex bytes ("44 AC 00 00", "0x44AC0000") are searched
// for as they are; any other text as its UTF-8 bytes and as UTF-16
// little-endian (and big-endian in a RIFX file).
SearchPatterns PatternsFor(const std::string& typed, bool bigEndian);

// The first hit at or after `from` (forward) or the last starting before
// `from` (backward) in the source, read in pieces of `piece` bytes that
// overlap by a pattern's length less one, so a hit across two pieces is
// found and memory stays at one piece. `going` is asked before each piece
// with the bytes searched so far; false stops the search (nothing is found
// then). Read failures are raised as the source raises them.
struct SearchHit {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
std::optional<SearchHit> FindBytes(const wavedoc::ByteSource& source, const SearchPatterns& patterns,
                                   std::uint64_t from, bool forward, std::uint64_t piece,
                                   const std::function<bool(std::uint64_t)>& going);

// How a search of the whole file ended: a hit, nothing (or cancelled), or a
// sentence naming the file that could not be read to the end (it changed,
// went away or could not be read) or searched.
struct SearchOutcome {
    std::optional<SearchHit> hit;
    bool cancelled = false;
    std::optional<std::string> problem;
};

// FindBytes in pieces of `piece` bytes, for work on another thread: `control`
// gets the bytes searched so far and its cancel stops the search. A file
// that changed while it was read gives the sentence that says so, not a hit
// in bytes that may belong to no one version of it.
SearchOutcome SearchFile(const wavedoc::ByteSource& source, const SearchPatterns& patterns,
                         std::uint64_t from, bool forward, std::uint64_t piece, JobControl& control);
