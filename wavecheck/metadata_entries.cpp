#include "wavecheck/metadata_entries.h"

#include <string_view>

#include "wavedoc/reading/riff_layout.h"

namespace wavecheck::detail {
namespace {

void Keep(std::vector<wavedoc::MapEntry>& kind, const wavedoc::MapEntry& entry, std::size_t most) {
    if (kind.size() < most) kind.push_back(entry);
}

}  // namespace

void MetadataEntries::Record(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return;
    // Compared as views: four bytes against four, without a call per kind,
    // since every entry of the walk comes through here.
    const std::string_view id = entry.id;
    if (id == "bext") {
        Keep(bext, entry, kMostOfAKind);
    } else if (id == "iXML" || id == "_PMX" || id == "axml") {
        Keep(xml, entry, kMostOfAKind);
    } else if (id == "id3 " || id == "ID3 ") {
        Keep(id3, entry, kMostOfAKind);
    } else if (id == "PEAK") {
        Keep(peak, entry, kMostOfAKind);
    } else if (entry.depth > 0 && wavedoc::layout::IsListId(entry.parentId) &&
               std::string_view(entry.parentType) == "INFO") {
        Keep(infoItems, entry, kMostInfoItems);
    }
}

}  // namespace wavecheck::detail
