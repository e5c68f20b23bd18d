#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace report {

// A file written as a whole or not at all: the bytes go to a temporary file
// beside the destination (same folder, so the final rename stays on one file
// system), which is synced and then renamed over the destination. Until
// Commit succeeds, the destination keeps what it held; a ReplacingFile left
// without Commit removes its temporary file.
//
// Memory is one fixed buffer whatever is written. A write that fails, or one
// made after `cancel` was set, throws ReplacingFile::Stopped out of the
// stream, so that whatever writes stops at once instead of writing on into a
// stream that goes nowhere.
class ReplacingFile {
public:
    // Thrown from a write into Stream() once the file cannot take more bytes
    // or the writing was cancelled; Failure() then says which.
    struct Stopped {};

    // `cancel` (may be null) is read before every piece written; `written`
    // (may be null) counts the bytes that reached the temporary file, for a
    // progress shown on another thread.
    explicit ReplacingFile(std::string destination, const std::atomic<bool>* cancel = nullptr,
                           std::atomic<std::uint64_t>* written = nullptr);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Where the bytes go. Valid only while Failure() is empty.
    std::ostream& Stream();

    // Why nothing more can be written, as one sentence naming the
    // destination; empty while all is well, and after a cancel.
    std::optional<std::string> Failure() const;
    bool Cancelled() const;

    // Writes what is held, syncs it to the disk and renames it over the
    // destination. Returns why that failed, as one sentence naming the
    // destination; the destination is then untouched. Once cancelled (even
    // while committing) it renames nothing and returns nothing: Cancelled()
    // says so.
    std::optional<std::string> Commit();

    // The temporary file's name (empty when it could not be made), for tests.
    const std::string& TemporaryPath() const { return temporary_; }

private:
    class Buffer;

    std::string destination_;
    std::string temporary_;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    std::optional<std::string> failure_;
    bool committed_ = false;
};

}  // namespace report
