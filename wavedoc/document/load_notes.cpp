#include "wavedoc/document/load_notes.h"

#include "text/counted.h"

namespace wavedoc {

void LoadNoteWriter::Add(std::string sentence) {
    if (notes_.size() < kMostNotes) {
        notes_.push_back("In the file \"" + fileName_ + "\", " + std::move(sentence));
    } else {
        ++leftOut_;
    }
}

void LoadNoteWriter::LaterAssociatedData(const MapEntry& list) {
    Add("another \"" + list.id + "\" chunk at offset " + std::to_string(list.offset) +
        " is not shown: the first associated data list is.");
}

void LoadNoteWriter::NotWalked(const MapEntry& list) {
    Add("the \"" + list.id + "\" chunk at offset " + std::to_string(list.offset) + " lies inside " +
        std::to_string(list.depth) + " other lists, deeper than Ondulo walks: what it holds is not shown.");
}

std::vector<std::string> LoadNoteWriter::Finish() && {
    if (leftOut_ > 0) {
        notes_.push_back("In the file \"" + fileName_ + "\", " +
                         text::Counted(leftOut_, "more note is", "more notes are") + " left out.");
    }
    return std::move(notes_);
}

}  // namespace wavedoc
