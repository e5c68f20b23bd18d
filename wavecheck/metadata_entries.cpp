#include "wavecheck/metadata_entries.h"

#include "formats/chunk_families.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavecheck::detail {
namespace {

void Keep(std::vector<wavedoc::MapEntry>& kind, const wavedoc::MapEntry& entry, std::size_t most) {
    if (kind.size() < most) kind.push_back(entry);
}

}  // namespace

void MetadataEntries::Record(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return;
    switch (formats::FamilyOf(entry.id, entry.IsList(), entry.listType)) {
        case formats::Family::Bext:
            Keep(bext, entry, kMostOfAKind);
            return;
        case formats::Family::Xml:
            Keep(xml, entry, kMostOfAKind);
            return;
        case formats::Family::Id3:
            Keep(id3, entry, kMostOfAKind);
            return;
        case formats::Family::Peak:
            Keep(peak, entry, kMostOfAKind);
            return;
        default:
            break;
    }
    // The item's own id is asked first: it rules out most entries (the labels
    // of an associated data list) without the family of their list looked up.
    if (entry.depth > 0 && formats::IsZeroEndedText(formats::Family::InfoList, entry.id) &&
        wavedoc::layout::IsListId(entry.parentId) &&
        formats::FamilyOf(entry.parentId, true, entry.parentType) == formats::Family::InfoList) {
        Keep(textItems, entry, kMostTextItems);
    }
}

}  // namespace wavecheck::detail
