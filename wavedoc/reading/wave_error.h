#pragma once

#include <stdexcept>
#include <string>

namespace wavedoc {

// Raised when a member is read whose bytes the file does not hold, when a
// collection is asked for a position it does not have, or when content that is
// read on demand can no longer be read. The message is one plain sentence that
// names the chunk and the field or record.
class WaveDocError : public std::runtime_error {
public:
    explicit WaveDocError(const std::string& message) : std::runtime_error(message) {}
};

// Raised when bytes are read after the load and the file on disk is no longer
// the one that was analysed (changed, replaced, removed or unreadable). The
// message names the file and that reading it again shows it as it is now.
class FileChangedError : public WaveDocError {
public:
    using WaveDocError::WaveDocError;
};

}  // namespace wavedoc
