#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chunk_walker.h"

namespace wavedoc {

// The sentences a load writes about damage it got past and about chunks it
// does not show, each naming the file. Where the walk happened is either the
// file's top level or one list chunk.
class LoadNoteWriter {
public:
    // At most this many notes are kept; the rest are counted in one last note.
    static constexpr std::size_t kMostNotes = 32;

    explicit LoadNoteWriter(std::string fileName) : fileName_(std::move(fileName)) {}

    // container: empty for the top level, else the id of the list walked.
    void RunsPastEnd(const ChunkHeader& chunk, const std::string& container);
    void StreamingSize(const ChunkHeader& chunk);
    void WalkEnded(const ChunkWalker& walk, const std::string& container);
    void NotShown(const ChunkHeader& chunk, std::size_t earlier, const std::string& firstOne);

    // The notes, the last one counting those left out.
    std::vector<std::string> Finish() &&;

private:
    void Add(std::string sentence);

    std::string fileName_;
    std::vector<std::string> notes_;
    std::uint64_t leftOut_ = 0;
};

}  // namespace wavedoc
