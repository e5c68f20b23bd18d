#pragma once

#include <cstdint>
#include <functional>

#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/ds64_sizes.h"

namespace wavedoc {

// Receives every entry of a file's one walk, in file order and without a cap:
// each chunk, sub-chunk and run of stray bytes. What it is told of a list's
// listing may change once the whole file is walked (a later associated data
// list is shown instead of an earlier list); every other field is final.
class WalkObserver {
public:
    virtual ~WalkObserver() = default;
    // Before the first entry: the RIFF size (the field as stored, or in a
    // 64-bit file the size ds64 gives for a field of 0xFFFFFFFF), the file's
    // form and its length.
    virtual void Begin(std::uint64_t riffSize, FileForm form, std::uint64_t fileLength) = 0;
    virtual void Entry(const MapEntry& entry) = 0;
};

// Where the RIFF size says the RIFF chunk ends; past everything when it holds
// a placeholder a streaming writer leaves (0 or 0xFFFFFFFF).
std::uint64_t RiffEnd(std::uint64_t riffSize);

// Walks the chunks of a RIFF file from offset 12 to its end once, lists
// inside lists included, and calls visit for each entry in file order: a
// list, then its sub-chunks one level deeper. The walk keeps one chunk walker
// per open list on an explicit stack, so no file decides how deep the call
// stack goes; a list at kMostListDepth is visited with notWalked set and its
// sub-chunks are skipped. Each level that ends in bytes that are no chunk, or
// in a cut header, ends with one stray entry for them. In a 64-bit file,
// ds64 gives the sizes of top-level chunks whose size field holds 0xFFFFFFFF;
// in a RIFX file the size fields are read most significant byte first.
// visit may change the entry's listing; a read that fails raises and ends
// the walk.
void WalkFile(const ByteSource& source, std::uint64_t riffSize, const Ds64Sizes* ds64, ByteOrder order,
              const std::function<void(MapEntry&)>& visit);

}  // namespace wavedoc
