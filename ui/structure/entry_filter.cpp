#include "ui/structure/entry_filter.h"

#include "ui/structure/byte_kinds.h"
#include "ui/structure/structure_tree_model.h"
#include "wavedoc/document/structure_map.h"

namespace {

bool Matches(const StructureTreeModel& tree, int item, EntryFilter filter) {
    const wavedoc::MapEntry* entry = tree.EntryOf(item);
    switch (filter) {
        case EntryFilter::All:
            return true;
        case EntryFilter::Damaged:
            return entry != nullptr && IsDamaged(*entry);
        case EntryFilter::NotListed:
            return entry != nullptr && entry->listing != wavedoc::Listing::Listed;
        case EntryFilter::WithFindings:
            return tree.FindingLevel(item) != StructureTreeModel::kNoLevel;
    }
    return true;
}

}  // namespace

std::vector<bool> EntriesShown(const StructureTreeModel& tree, EntryFilter filter) {
    const int count = tree.ItemCount();
    std::vector<bool> shown(static_cast<std::size_t>(count), filter == EntryFilter::All);
    if (filter == EntryFilter::All) return shown;
    // Items are numbered in file order, a list before its sub-chunks: from
    // the last back, a shown item shows the list around it.
    for (int item = count - 1; item >= 0; --item) {
        if (Matches(tree, item, filter)) shown[static_cast<std::size_t>(item)] = true;
        const int parent = tree.ParentOf(item);
        if (shown[static_cast<std::size_t>(item)] && parent != StructureTreeModel::kNoItem)
            shown[static_cast<std::size_t>(parent)] = true;
    }
    return shown;
}
