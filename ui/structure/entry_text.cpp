#include "ui/structure/entry_text.h"

#include <vector>

#include "text/counted.h"

namespace {

std::string TrimmedId(const std::string& id) {
    const std::size_t end = id.find_last_not_of(' ');
    return end == std::string::npos ? id : id.substr(0, end + 1);
}

// Why the chunk list leaves the entry out, in a few words; "listed" when it
// does not.
std::string ListingWords(const wavedoc::MapEntry& entry, bool listRefused) {
    if (entry.notWalked) return "nested too deep: not walked";
    switch (entry.listing) {
        case wavedoc::Listing::Listed:
            // The chunk list refuses the whole file (RF64, BW64, RIFX).
            return listRefused ? "not listed: RIFF files only" : "listed";
        case wavedoc::Listing::UnknownType:
            return "type not listed";
        case wavedoc::Listing::LaterDuplicate:
            return "later " + TrimmedId(entry.id) + ": not listed";
        case wavedoc::Listing::OtherList:
            return entry.IsList() && entry.depth == 0 ? "other list: not listed" : "in a list not shown";
        case wavedoc::Listing::NotAnEntry:
            return "item of " + TrimmedId(entry.parentId) + " (" + entry.parentType + ")";
        case wavedoc::Listing::Bytes:
            break;
    }
    switch (entry.stray) {
        case wavedoc::Stray::NotAChunk:
            return "not a chunk";
        case wavedoc::Stray::CutHeader:
            return "header cut off";
        case wavedoc::Stray::Unmapped:
            return text::Counted(entry.leftOut, "entry", "entries") + " not mapped";
        case wavedoc::Stray::None:
            break;
    }
    return {};
}

}  // namespace

std::string EntryName(const wavedoc::MapEntry& entry) {
    switch (entry.stray) {
        case wavedoc::Stray::None:
            break;
        case wavedoc::Stray::NotAChunk:
            return "(stray bytes)";
        case wavedoc::Stray::CutHeader:
            return "(cut header)";
        case wavedoc::Stray::Unmapped:
            return "(not mapped)";
    }
    if (entry.IsList()) return entry.id + " (" + entry.listType + ")";
    return entry.id;
}

std::string EntryState(const wavedoc::MapEntry& entry, bool listRefused) {
    std::vector<std::string> words{ListingWords(entry, listRefused)};
    if (entry.IsChunk() && entry.present < entry.DeclaredSize()) words.emplace_back("runs past the end");
    if (entry.pad == wavedoc::PadByte::Missing) words.emplace_back("pad byte missing");
    if (entry.afterRiffEnd) words.emplace_back("after the RIFF end");
    std::string state;
    for (const std::string& word : words) state += (state.empty() ? "" : "; ") + word;
    return state;
}

std::string SignedSize(std::uint32_t size) { return std::to_string(static_cast<std::int32_t>(size)); }
