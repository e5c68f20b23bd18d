#pragma once

// The structure-aware mutator of the fuzz targets: reads the input as a tree
// of chunks (riff_tree.h), edits the tree in a way random bytes seldom would
// (lists nested thousands deep, a chunk repeated thousands of times, size
// fields and pad bytes on their edges, ids swapped), and writes it back. It
// builds without libFuzzer: the byte-level mutation it falls back to is passed
// in, so tests can drive every edit on their own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace riffmutator {

// libFuzzer's LLVMFuzzerMutate, or a stand-in: mutates size bytes at data in
// place, up to maxSize, and returns the new size.
using ByteMutator = std::size_t (*)(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// A small generator with a fixed algorithm (SplitMix64), so that a seed gives
// the same edits on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in [0, bound); 0 for a bound of 0.
    std::size_t Below(std::size_t bound);
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    // From 1 to most, each power of two as likely as the next: as many short
    // runs as long ones.
    std::size_t Spread(std::size_t most);

private:
    std::uint64_t state_;
};

enum class Edit {
    Nest,           // a chunk inside new lists, one to thousands of levels deep
    WrapRun,        // a run of sibling chunks inside one new list
    Repeat,         // copies of a chunk (with its sub-chunks) after it, up to thousands
    CutFile,        // the file ends early
    CutChunk,       // a chunk's content (or a list's last sub-chunks) cut short
    Resize,         // a size field set to an edge value
    Pad,            // a pad byte dropped or added, zero or not
    SwapId,         // a chunk id or list type replaced by another the reader knows
    Stray,          // bytes that are no chunk, between chunks or inside one
    NewChunk,       // a small chunk of a type the reader decodes
    MutateContent,  // byte-level mutation of one chunk's content, sizes kept right
    Remove,         // a chunk dropped, or a list replaced by its sub-chunks
    Swap,           // two sibling chunks trade places
    Bytes,          // byte-level mutation of the whole file
};
inline constexpr int kEditCount = static_cast<int>(Edit::Bytes) + 1;

// Applies one edit of the given kind to input and returns the result, at most
// maxSize bytes (and never empty unless maxSize is 0). An edit that finds
// nothing to work on in the tree falls back to byteMutator (or, without one, a
// small built-in byte change).
std::string ApplyEdit(std::string_view input, Edit edit, std::size_t maxSize, Random& random,
                      ByteMutator byteMutator);

// What LLVMFuzzerCustomMutator does: one time in four the byte-level mutation
// alone, else one to three edits of random kinds. Returns the new size.
std::size_t Mutate(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed,
                   ByteMutator byteMutator);

// What LLVMFuzzerCustomCrossOver does: a chunk (with its sub-chunks) of the
// second input put into the first, in place of one of its chunks or beside
// it. Returns the size written to out.
std::size_t CrossOver(std::string_view first, std::string_view second, std::uint8_t* out,
                      std::size_t maxOutSize, unsigned int seed);

}  // namespace riffmutator
