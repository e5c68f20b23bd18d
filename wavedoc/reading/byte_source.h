#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace wavedoc {

// Where a document's bytes come from: a file on disk or a buffer in memory.
// Reads never go past Length(); a short read raises WaveDocError.
//
// A file is not kept open between reads. Each read opens it again and checks
// that it is still the file that was analysed (same device, inode, size,
// modification and change time); if not, the read raises FileChangedError. A
// ReadingSession keeps the file open, with a small cache, for the many small
// reads of one action, and closes it when the action ends.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Length() const = 0;
    // Up to `count` bytes from `offset`, clipped to the end of the source.
    // Callers ask only for what they show, so count is small.
    virtual std::string Read(std::uint64_t offset, std::uint64_t count) const = 0;
    // How errors name the source (the path, or the name given to a buffer).
    virtual const std::string& DisplayName() const = 0;

    // Keeps the source ready between BeginReading and the matching
    // EndReading; nested pairs are allowed. The outermost BeginReading of a
    // file raises FileChangedError when the file has changed.
    virtual void BeginReading() const {}
    virtual void EndReading() const {}
    // Raises FileChangedError when the file is no longer the one analysed
    // (size, modification or change time): after a long read, such as
    // hashing the audio, whose bytes may then belong to no one version.
    virtual void CheckUnchanged() const {}
};

// Keeps a source open for the reads of one action (a load, one chunk shown).
class ReadingSession {
public:
    explicit ReadingSession(const ByteSource* source) : source_(source) {
        if (source_ != nullptr) source_->BeginReading();
    }
    ~ReadingSession() {
        if (source_ != nullptr) source_->EndReading();
    }
    ReadingSession(const ReadingSession&) = delete;
    ReadingSession& operator=(const ReadingSession&) = delete;

private:
    const ByteSource* source_;
};

// Opens path read-only and notes what identifies it. On failure returns
// nullptr and sets reason to a plain explanation (missing file, a directory,
// not a regular file, no permission, a read error). The file type is checked
// before opening, so a FIFO or a device never blocks. The file stays open for
// the first action on it (the load) and is closed when that ends; later
// actions open it again.
std::shared_ptr<const ByteSource> OpenFileSource(const std::string& path, std::string& reason);

std::shared_ptr<const ByteSource> MakeMemorySource(std::string bytes, std::string displayName);

}  // namespace wavedoc
