#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "chunk_naming.h"
#include "entry_collection.h"
#include "field_reader.h"

namespace wavedoc {

// What a chunk made of a count field followed by fixed-size records calls them.
struct RecordLayout {
    std::size_t countOffset;  // the 32-bit record count
    std::size_t firstRecord;  // where the first record starts
    std::size_t recordSize;
    const char* noun;  // "cue point"
    const char* nounPlural;
};

// The records of a chunk: as many as its count field asks for, but only those
// that fit wholly inside the bytes present. The count never decides an
// allocation on its own, and bytes after the counted records (such as the
// sampler data of a smpl chunk) are not taken for records.
template <typename Record>
EntryCollection<Record> SplitRecords(const FieldReader& chunk, const RecordLayout& layout) {
    const std::string& bytes = chunk.Bytes();
    const std::size_t fit =
        bytes.size() > layout.firstRecord ? (bytes.size() - layout.firstRecord) / layout.recordSize : 0;
    const std::size_t count =
        fit == 0 ? 0 : static_cast<std::uint32_t>(chunk.Bits32(layout.countOffset, "count"));
    const std::size_t held = std::min(fit, count);

    std::vector<Record> records;
    records.reserve(held);
    for (std::size_t i = 0; i < held; ++i) {
        records.emplace_back(bytes.substr(layout.firstRecord + i * layout.recordSize, layout.recordSize),
                             EntryOwnerName(layout.noun, i + 1, chunk.Owner()));
    }
    return EntryCollection<Record>(std::move(records), chunk.Owner(), layout.noun, layout.nounPlural);
}

}  // namespace wavedoc
