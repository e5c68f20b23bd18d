#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "wave_error.h"

namespace wavedoc {

// The records of one kind that a chunk really holds, in file order, reached by
// 1-based position. Built from the bytes present, never from a count field, so
// its size is bounded by the file.
template <typename Entry>
class EntryCollection {
public:
    EntryCollection() = default;
    // noun: singular and plural name of one record ("cue point", "cue points");
    // owner: the chunk that holds them ("the cue chunk").
    EntryCollection(std::vector<Entry> entries, std::string owner, std::string noun, std::string nounPlural)
        : entries_(std::move(entries)),
          owner_(std::move(owner)),
          noun_(std::move(noun)),
          nounPlural_(std::move(nounPlural)) {}

    // The entry at 1-based position index; raises WaveDocError for a position
    // the chunk does not hold.
    const Entry& Item(std::int32_t index) const {
        if (index < 1 || static_cast<std::size_t>(index) > entries_.size()) {
            throw WaveDocError(OutOfRangeMessage(index));
        }
        return entries_[static_cast<std::size_t>(index) - 1];
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }

private:
    std::string OutOfRangeMessage(std::int32_t index) const {
        // The empty collection of a chunk type the file does not hold.
        if (owner_.empty()) {
            return "The file holds no such chunk, so its entry " + std::to_string(index) +
                   " is not in the file.";
        }
        const std::string held =
            std::to_string(entries_.size()) + " " + (entries_.size() == 1 ? noun_ : nounPlural_);
        return capitalised(owner_) + " holds " + held + ", so " + noun_ + " " + std::to_string(index) +
               " is not in the file.";
    }
    static std::string capitalised(std::string text) {
        if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
            text[0] = static_cast<char>(text[0] - 'a' + 'A');
        return text;
    }

    std::vector<Entry> entries_;
    std::string owner_;
    std::string noun_;
    std::string nounPlural_;
};

}  // namespace wavedoc
