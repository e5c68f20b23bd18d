#include "diff/entry_match.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

namespace diff {

namespace {

// A byte string as a part of a key that no other part can run into.
std::string Part(const std::string& bytes) { return std::to_string(bytes.size()) + ':' + bytes; }

// Each entry's key and the key of the list it lies in: the lists around it,
// its id and list type, and its order among entries of that id and type in
// that list.
struct Keys {
    std::vector<std::string> own;
    std::vector<std::string> parent;
};

Keys KeysOf(const wavedoc::StructureMap& map) {
    Keys keys;
    keys.own.reserve(map.entries.size());
    keys.parent.reserve(map.entries.size());
    std::vector<std::size_t> open;  // the lists around the entry, by index
    std::map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < map.entries.size(); ++i) {
        const wavedoc::MapEntry& entry = map.entries[i];
        while (!open.empty() && map.entries[open.back()].depth >= entry.depth) open.pop_back();
        std::string parent = open.empty() ? std::string() : keys.own[open.back()];
        const std::string kind =
            parent + '/' + (entry.IsChunk() ? Part(entry.id) + Part(entry.listType) : std::string("bytes"));
        const std::size_t nth = seen[kind]++;
        keys.own.push_back(kind + '#' + std::to_string(nth));
        keys.parent.push_back(std::move(parent));
        if (entry.IsList()) open.push_back(i);
    }
    return keys;
}

// For each element of `sequence` (distinct values), the length of the
// longest increasing run of the sequence that ends with it.
std::vector<std::size_t> RunsEndingAt(const std::vector<std::size_t>& sequence) {
    std::vector<std::size_t> tails;  // the smallest last value of a run of each length
    std::vector<std::size_t> lengths;
    lengths.reserve(sequence.size());
    for (const std::size_t value : sequence) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), value);
        lengths.push_back(static_cast<std::size_t>(at - tails.begin()) + 1);
        if (at == tails.end()) {
            tails.push_back(value);
        } else {
            *at = value;
        }
    }
    return lengths;
}

// Which of `sequence` (B's indices, in A's order) lie on every longest
// increasing run: they keep their order whichever way the two files are
// compared; the others moved. (Of two neighbours swapped, both moved.)
std::vector<bool> OnEveryLongestRun(const std::vector<std::size_t>& sequence) {
    const std::vector<std::size_t> ending = RunsEndingAt(sequence);
    // The runs that start with each element: those ending with it in the
    // sequence read backwards, its order turned round.
    std::vector<std::size_t> backwards(sequence.rbegin(), sequence.rend());
    for (std::size_t& value : backwards) value = SIZE_MAX - value;
    std::vector<std::size_t> starting = RunsEndingAt(backwards);
    std::reverse(starting.begin(), starting.end());
    const std::size_t longest = ending.empty() ? 0 : *std::max_element(ending.begin(), ending.end());
    // An element on some longest run is on all of them when no other such
    // element could take its place in the run.
    std::vector<std::size_t> onSomeRunAt(longest + 1, 0);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (ending[i] + starting[i] - 1 == longest) ++onSomeRunAt[ending[i]];
    }
    std::vector<bool> kept(sequence.size(), false);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        kept[i] = ending[i] + starting[i] - 1 == longest && onSomeRunAt[ending[i]] == 1;
    }
    return kept;
}

}  // namespace

std::vector<EntryPair> MatchEntries(const wavedoc::StructureMap& a, const wavedoc::StructureMap& b) {
    const Keys keyedA = KeysOf(a);
    const Keys keyedB = KeysOf(b);
    const std::vector<std::string>& keysA = keyedA.own;
    const std::vector<std::string>& keysB = keyedB.own;
    std::map<std::string_view, std::size_t> indexB;
    for (std::size_t i = 0; i < keysB.size(); ++i) indexB.emplace(keysB[i], i);

    std::vector<std::optional<std::size_t>> pairOfA(keysA.size());
    std::vector<std::optional<std::size_t>> pairOfB(keysB.size());
    for (std::size_t i = 0; i < keysA.size(); ++i) {
        if (const auto found = indexB.find(keysA[i]); found != indexB.end()) {
            pairOfA[i] = found->second;
            pairOfB[found->second] = i;
        }
    }

    // Moves: per level, the paired entries in A's order and their places in B.
    std::map<std::string, std::vector<std::size_t>> levels;  // parent key: indices in A
    for (std::size_t i = 0; i < keysA.size(); ++i) {
        if (pairOfA[i]) levels[keyedA.parent[i]].push_back(i);
    }
    std::vector<bool> moved(keysA.size(), false);
    for (const auto& [parent, members] : levels) {
        std::vector<std::size_t> sequence;
        sequence.reserve(members.size());
        for (const std::size_t i : members) sequence.push_back(*pairOfA[i]);
        const std::vector<bool> kept = OnEveryLongestRun(sequence);
        for (std::size_t k = 0; k < members.size(); ++k) moved[members[k]] = !kept[k];
    }

    // A's entries in order; each of B's alone after the paired entry B has before it.
    struct Placed {
        std::size_t anchor;  // 0 before every entry of A, i + 1 after A's entry i
        int side;            // 0 for A's own, 1 for B's alone after it
        std::size_t index;
        EntryPair pair;
    };
    std::vector<Placed> placed;
    placed.reserve(keysA.size() + keysB.size());
    for (std::size_t i = 0; i < keysA.size(); ++i) placed.push_back({i + 1, 0, i, {i, pairOfA[i], moved[i]}});
    std::size_t anchor = 0;
    for (std::size_t j = 0; j < keysB.size(); ++j) {
        if (pairOfB[j]) {
            anchor = *pairOfB[j] + 1;
        } else {
            placed.push_back({anchor, 1, j, {std::nullopt, j, false}});
        }
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& x, const Placed& y) {
        return std::tie(x.anchor, x.side, x.index) < std::tie(y.anchor, y.side, y.index);
    });
    std::vector<EntryPair> pairs;
    pairs.reserve(placed.size());
    for (const Placed& p : placed) pairs.push_back(p.pair);
    return pairs;
}

}  // namespace diff
