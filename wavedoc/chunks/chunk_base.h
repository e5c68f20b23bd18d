#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/chunk_walker.h"

namespace wavedoc {

// A chunk as the load found it: its header, the first bytes of its content
// that its fixed fields need (read at load, never more), and the source that
// records and entries are read from when they are asked for.
struct ChunkSpan {
    ChunkHeader header;
    std::string head;
    std::shared_ptr<const ByteSource> source;
};

// What every chunk object ends with: the size field as stored and the
// four-character id as stored (empty when the file holds no such chunk), plus
// where its header lies in the file.
class ChunkBase {
public:
    std::int32_t Size() const { return size_; }
    const std::string& Name() const { return name_; }
    std::uint64_t Offset() const { return offset_; }
    // How many content bytes the file really holds of it (at most its size).
    std::uint64_t Present() const { return present_; }

protected:
    ChunkBase() = default;
    ChunkBase(std::string name, std::int32_t size, std::uint64_t offset)
        : size_(size), name_(std::move(name)), offset_(offset) {}
    explicit ChunkBase(const ChunkHeader& header)
        : ChunkBase(header.id, static_cast<std::int32_t>(header.storedSize), header.headerOffset) {
        present_ = header.presentSize;
    }

private:
    std::int32_t size_ = 0;
    std::string name_;
    std::uint64_t offset_ = 0;
    std::uint64_t present_ = 0;
};

}  // namespace wavedoc
