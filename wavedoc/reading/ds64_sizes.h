#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wavedoc/reading/byte_source.h"

namespace wavedoc {

// Which form of WAV a file is: RIFF, one of the 64-bit forms that keep
// sizes over 4 GB in a ds64 chunk, or RIFX, RIFF with its numbers stored
// most significant byte first.
enum class FileForm { Riff, Rf64, Bw64, Rifx };

// One entry of the ds64 table: the size of a chunk other than data whose
// size field holds 0xFFFFFFFF.
struct Ds64Entry {
    std::string id;  // as stored
    std::uint64_t size = 0;
};

// The 64-bit sizes of an RF64 or BW64 file, as its ds64 chunk holds them.
struct Ds64Sizes {
    // The most table entries kept: real files have none or one.
    static constexpr std::size_t kMostTableEntries = 64;

    std::uint32_t chunkSize = 0;  // the ds64 chunk's size field
    // How many bytes of the fixed fields (riffSize to tableLength) the chunk
    // holds: a field it does not hold is not read, and stays 0.
    std::uint64_t heldFields = 0;
    std::uint64_t riffSize = 0;
    std::uint64_t dataSize = 0;
    std::uint64_t sampleCount = 0;
    std::uint32_t tableLength = 0;  // as stored
    std::vector<Ds64Entry> table;   // the first entries the chunk holds, at most kMostTableEntries

    // The size ds64 gives a chunk of this id whose size field holds
    // 0xFFFFFFFF: the data chunk's, else the first table entry for the id.
    std::optional<std::uint64_t> SizeFor(std::string_view id) const;

    bool HoldsRiffSize() const { return heldFields >= 8; }
    bool HoldsDataSize() const { return heldFields >= 16; }
    bool HoldsSampleCount() const { return heldFields >= 24; }
};

// The ds64 chunk right after the RIFF header, where readers look for it;
// nothing when the chunk there is another. Only the fields its size holds
// are read: a short chunk does not lend the next chunk's bytes as fields.
std::optional<Ds64Sizes> ReadDs64(const ByteSource& source);

}  // namespace wavedoc
