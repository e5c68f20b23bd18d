#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace wavedoc {

// Where a document's bytes come from: an opened file or a buffer in memory.
// Reads never go past Length(); a short read raises WaveDocError.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Length() const = 0;
    // Up to `count` bytes from `offset`, clipped to the end of the source.
    virtual std::string Read(std::uint64_t offset, std::uint64_t count) const = 0;
    // How errors name the source (the path, or the name given to a buffer).
    virtual const std::string& DisplayName() const = 0;
};

// Opens path read-only. On failure returns nullptr and sets reason to a plain
// explanation (missing file, a directory, not a regular file, no permission,
// a read error). The file type is checked before opening, so a FIFO or a device
// never blocks.
std::shared_ptr<const ByteSource> OpenFileSource(const std::string& path, std::string& reason);

std::shared_ptr<const ByteSource> MakeMemorySource(std::string bytes, std::string displayName);

}  // namespace wavedoc
