#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mend/mend_plan.h"

namespace mend {

// What writing a plan may be told, as the check's options: a window runs it
// on another thread, shows the progress and offers Cancel.
struct WriteOptions {
    // Told, a few times a second at most and once at the end, how many bytes
    // of the copy are written of how many; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Set by another thread to stop; may be null. A cancelled write leaves
    // nothing behind.
    const std::atomic<bool>* cancel = nullptr;
    // Sync the copy and its folder to the disk before and after the rename;
    // only a fuzz target, which writes thousands of copies a second to a
    // scratch file, goes without.
    bool sync = true;
};

enum class WriteStatus {
    Written,    // DEST holds the copy
    Refused,    // nothing written: DEST is FILE, or the plan is a refusal or has nothing to mend
    Failed,     // nothing written: DEST could not be made (a full disk, a read-only folder...)
    Changed,    // nothing written: FILE changed while it was read
    Cancelled,  // nothing written: stopped when asked
};

struct WriteResult {
    WriteStatus status = WriteStatus::Failed;
    std::string message;  // why nothing was written, one sentence naming the file; empty when written
    std::uint64_t audioBytes = 0;
    // The audio's SHA-256 as read from FILE, and of the copy's audio, which
    // was read back and compared with FILE's byte for byte on the way (the
    // same digest, or nothing is written); lower-case hex.
    std::string sourceAudioSha256;
    std::string destAudioSha256;
    std::uint64_t destLength = 0;
};

// Whether two paths name one file (the same device and inode, through any
// link); false when either cannot be reached.
bool SameFile(const std::string& a, const std::string& b);

// Writes the copy `plan` describes to `destination`: through a temporary
// file beside it, synced and then renamed over it, so that DEST is whole or
// untouched. Reads FILE in pieces of a few MB whatever its size, keeps the
// holes of a sparse FILE as holes, writes each piece of audio, reads it back
// and compares it with FILE's bytes, hashing both. `analysis` is the one the
// plan was made from: a FILE that is no longer the one analysed is Changed.
WriteResult WritePlan(const report::Analysis& analysis, const Plan& plan, const std::string& destination,
                      const WriteOptions& options = {});

}  // namespace mend
