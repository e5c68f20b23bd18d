#pragma once

#include <cstdint>
#include <string>

namespace wavedoc {

// What every chunk object ends with: the size field as stored and the
// four-character id as stored (empty when the file holds no such chunk).
class ChunkBase {
public:
    std::int32_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

protected:
    ChunkBase() = default;
    ChunkBase(std::string name, std::int32_t size) : size_(size), name_(std::move(name)) {}

private:
    std::int32_t size_ = 0;
    std::string name_;
};

}  // namespace wavedoc
