#pragma once

#include <cstdint>
#include <vector>

#include "wavedoc/document/structure_map.h"

namespace wavedoc {

// Builds the bounded structure map from the walk's entries as they come.
// Once kMostMapped entries are held, each level still open gets one Unmapped
// entry for the rest of it, which counts the entries it stands for.
class MapBuilder {
public:
    explicit MapBuilder(std::uint64_t fileLength);
    void Add(const MapEntry& entry);
    StructureMap Finish() &&;

private:
    struct OpenList {
        std::uint64_t contentEnd;  // where its level ends
        std::uint64_t coveredEnd;  // where the level around it goes on
    };
    std::uint64_t LevelEnd(std::size_t depth) const;
    void CloseLevels(const MapEntry& entry);
    std::size_t ListIndexAt(std::size_t depth) const;
    void CountLeftOut(std::uint64_t offset);

    std::uint64_t fileLength_;
    StructureMap map_;
    std::vector<OpenList> open_;  // the lists around the next entry, outermost first
    std::size_t firstUnmapped_ = 0;
    std::size_t nextUnmapped_ = 0;
};

}  // namespace wavedoc
