#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "wavedoc/document/structure_map.h"

namespace diff {

// The entries of two structure maps paired: an entry of A and one of B are
// the same entry when their ids, list types and the lists around them agree
// and so does their order among the entries of that kind at their level (the
// second LIST INFO of a level pairs with the second). Stray bytes pair by
// their order among the stray bytes of their level.
struct EntryPair {
    std::optional<std::size_t> a;  // index in A's map
    std::optional<std::size_t> b;
    bool moved = false;  // both: its order among the paired entries of its level changed
};

// Every entry of both maps once: A's in A's order, each of B's alone after
// the entry B has before it. Of the paired entries of one level, those on
// every longest run that keeps its order stay; the others moved, the same
// ones whichever file is A.
std::vector<EntryPair> MatchEntries(const wavedoc::StructureMap& a, const wavedoc::StructureMap& b);

}  // namespace diff
