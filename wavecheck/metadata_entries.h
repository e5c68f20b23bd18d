#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wavedoc/document/structure_map.h"

// The chunks beyond the twelve whose content the metadata checks read (bext,
// the text items of INFO lists, XML, ID3 tags), as the walk meets them. Only the
// first few of each kind are kept, so that a file of thousands of them costs
// no more than a few.
namespace wavecheck::detail {

struct MetadataEntries {
    static constexpr std::size_t kMostOfAKind = 16;
    static constexpr std::size_t kMostTextItems = 256;

    std::vector<wavedoc::MapEntry> bext;
    std::vector<wavedoc::MapEntry> textItems;  // the zero-ended text items of every INFO list, in file order
    std::vector<wavedoc::MapEntry> xml;        // iXML, _PMX (XMP), axml
    std::vector<wavedoc::MapEntry> id3;        // "id3 ", "ID3 "
    std::vector<wavedoc::MapEntry> peak;       // "PEAK"

    // Keeps the entry when it is one of these kinds and its kind is not full.
    void Record(const wavedoc::MapEntry& entry);
};

}  // namespace wavecheck::detail
