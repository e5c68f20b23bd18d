#pragma once

#include <vector>

class StructureTreeModel;

// Which entries the tree shows: all, or those in a state worth a look, with
// the lists around them so that each stays in its place.
enum class EntryFilter { All, Damaged, NotListed, WithFindings };

// Per item of the tree, whether it is shown under `filter`.
std::vector<bool> EntriesShown(const StructureTreeModel& tree, EntryFilter filter);
