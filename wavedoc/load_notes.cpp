#include "load_notes.h"

#include "chunk_naming.h"

namespace wavedoc {
namespace {

// "the LIST chunk" or "the file", for "the end of ...".
std::string Container(const std::string& container) {
    return container.empty() ? "the file" : ChunkOwnerName(container);
}

std::string Bytes(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

const char* Ordinal(std::size_t earlier) { return earlier == 1 ? "a second" : "another"; }

}  // namespace

void LoadNoteWriter::Add(std::string sentence) {
    if (notes_.size() < kMostNotes) {
        notes_.push_back("In the file \"" + fileName_ + "\", " + std::move(sentence));
    } else {
        ++leftOut_;
    }
}

void LoadNoteWriter::RunsPastEnd(const ChunkHeader& chunk, const std::string& container) {
    Add("the \"" + chunk.id + "\" " + (container.empty() ? "chunk" : "sub-chunk") + " at offset " +
        std::to_string(chunk.headerOffset) + " runs past the end of " + Container(container) +
        ": its size field says " + Bytes(chunk.storedSize) + ", " + Container(container) + " holds " +
        std::to_string(chunk.presentSize) + ".");
}

void LoadNoteWriter::StreamingSize(const ChunkHeader& chunk) {
    Add("the \"" + chunk.id +
        "\" chunk's size field holds 0xFFFFFFFF, the placeholder a streaming writer leaves while it does "
        "not know the size yet, so its content is taken to run to the end of the file (" +
        Bytes(chunk.presentSize) + ").");
}

void LoadNoteWriter::WalkEnded(const ChunkWalker& walk, const std::string& container) {
    const std::uint64_t left = walk.RangeEnd() - walk.Position();
    const std::string where = container.empty() ? "" : " inside " + ChunkOwnerName(container);
    const std::string listed = container.empty() ? "listed" : "shown";
    if (walk.End() == WalkEnd::NotAChunk) {
        Add("the " + Bytes(left) + " from offset " + std::to_string(walk.Position()) + where +
            " do not start a " + (container.empty() ? "chunk" : "sub-chunk") +
            ", so nothing from there on is " + listed + ".");
    } else if (walk.End() == WalkEnd::CutHeader) {
        Add("the last " + Bytes(left) + " from offset " + std::to_string(walk.Position()) + where +
            " are too few for a " + (container.empty() ? "chunk" : "sub-chunk") +
            " header (8 bytes): a header cut off, not " + listed + ".");
    }
}

void LoadNoteWriter::NotShown(const ChunkHeader& chunk, std::size_t earlier, const std::string& firstOne) {
    Add(std::string(Ordinal(earlier)) + " \"" + chunk.id + "\" chunk at offset " +
        std::to_string(chunk.headerOffset) + " is not shown: " + firstOne + ".");
}

std::vector<std::string> LoadNoteWriter::Finish() && {
    if (leftOut_ > 0) {
        notes_.push_back("In the file \"" + fileName_ + "\", " + std::to_string(leftOut_) + " more " +
                         (leftOut_ == 1 ? "note is" : "notes are") + " left out.");
    }
    return std::move(notes_);
}

}  // namespace wavedoc
