#pragma once

#include <string>

namespace wavedoc {

// How messages name a chunk: "the cue chunk" for the id "cue ", "the LIST
// chunk" for "LIST". Trailing spaces of the id are left out.
inline std::string ChunkOwnerName(const std::string& id) {
    const std::size_t last = id.find_last_not_of(' ');
    return "the " + (last == std::string::npos ? id : id.substr(0, last + 1)) + " chunk";
}

// How messages name one record or entry: "cue point 2 of the cue chunk".
inline std::string EntryOwnerName(const std::string& noun, std::size_t position, const std::string& owner) {
    return noun + " " + std::to_string(position) + " of " + owner;
}

}  // namespace wavedoc
