#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/counted.h"

namespace wavedoc {

// How messages name a chunk: "the cue chunk" for the id "cue ", "the LIST
// chunk" for "LIST". Trailing spaces of the id are left out.
inline std::string ChunkOwnerName(std::string_view id) {
    const std::size_t last = id.find_last_not_of(' ');
    return "the " + std::string(last == std::string_view::npos ? id : id.substr(0, last + 1)) + " chunk";
}

// What a field reader reads: a whole chunk, or one record or entry of it
// ("cue point 2 of the cue chunk"). Turned into words only when a message
// needs them, so reading a field costs no text.
struct OwnerName {
    std::string chunkId;         // empty for a chunk type the file does not hold
    const char* noun = nullptr;  // "cue point"; null for the chunk itself
    std::uint64_t position = 0;

    std::string Text() const {
        if (noun == nullptr) return ChunkOwnerName(chunkId);
        return std::string(noun) + " " + std::to_string(position) + " of " + ChunkOwnerName(chunkId);
    }
};

// The sentence for a position a collection does not hold.
inline std::string NotHeldMessage(const std::string& chunkId, std::uint64_t held, const char* noun,
                                  const char* nounPlural, std::int64_t index) {
    if (chunkId.empty()) {
        return "The file holds no such chunk, so its entry " + std::to_string(index) + " is not in the file.";
    }
    std::string owner = ChunkOwnerName(chunkId);
    owner[0] = 'T';
    return owner + " holds " + text::Counted(held, noun, nounPlural) + ", so " + noun + " " +
           std::to_string(index) + " is not in the file.";
}

}  // namespace wavedoc
