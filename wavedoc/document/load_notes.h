#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wavedoc/document/structure_map.h"

namespace wavedoc {

// The sentences a load writes about what the chunk list leaves out that no
// finding speaks of, each naming the file: a later associated data list, a
// list nested too deep to be walked. Damage is the check's to report.
class LoadNoteWriter {
public:
    // At most this many notes are kept; the rest are counted in one last note.
    static constexpr std::size_t kMostNotes = 32;

    explicit LoadNoteWriter(std::string fileName) : fileName_(std::move(fileName)) {}

    void LaterAssociatedData(const MapEntry& list);
    void NotWalked(const MapEntry& list);

    // The notes, the last one counting those left out.
    std::vector<std::string> Finish() &&;

private:
    void Add(std::string sentence);

    std::string fileName_;
    std::vector<std::string> notes_;
    std::uint64_t leftOut_ = 0;
};

}  // namespace wavedoc
