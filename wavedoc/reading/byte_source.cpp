#include "wavedoc/reading/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "wavedoc/reading/error_text.h"
#include "wavedoc/reading/offset_math.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {
namespace {

// Small reads of one action (fields of consecutive records, sub-chunk headers)
// are served from one block of this size.
constexpr std::uint64_t kCacheBlock = 8 * 1024;

std::string CannotRead(const std::string& name, const std::string& why) {
    return "The file \"" + name + "\" cannot be read: " + why + ".";
}

// Plain words for the errno of a failed stat or open.
std::string OpenFailureReason(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "the file does not exist";
        case EACCES:
        case EPERM:
            return "you do not have permission to read it";
        case ENAMETOOLONG:
            return "its name is too long";
        case ELOOP:
            return "its path runs in a loop of symbolic links";
        default:
            return ErrorText(error);
    }
}

// Why a file of this type is refused, or empty for a regular file.
std::string FileTypeProblem(const struct stat& status) {
    if (S_ISDIR(status.st_mode)) return "it is a directory, not a file";
    if (!S_ISREG(status.st_mode)) return "it is not a regular file (it is a device, a pipe or a socket)";
    return {};
}

// The same from the result of stat or fstat, which sets errno on failure.
std::string StatProblem(int result, const struct stat& status) {
    return result != 0 ? OpenFailureReason(errno) : FileTypeProblem(status);
}

// What tells that a file on disk is still the one that was analysed.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    // The change time: unlike the modification time, no program can set it
    // back, so a rewrite in place that keeps size and time still shows.
    struct timespec changed {};

    static FileIdentity Of(const struct stat& status) {
        return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    }
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               SameTime(modified, other.modified) && SameTime(changed, other.changed);
    }
    static bool SameTime(const struct timespec& a, const struct timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }
};

// Opens path without waiting on a FIFO that may have been swapped in, and
// checks the type of what was really opened. Returns -1 and sets reason on
// failure; status receives what fstat says.
int OpenRegularFile(const std::string& path, struct stat& status, std::string& reason) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        reason = OpenFailureReason(errno);
        return -1;
    }
    if (std::string problem = StatProblem(::fstat(descriptor, &status), status); !problem.empty()) {
        ::close(descriptor);
        reason = std::move(problem);
        return -1;
    }
    return descriptor;
}

class FileSource : public ByteSource {
public:
    // `descriptor`, open on the file `identity` was taken from, serves the
    // first action, so that opening a file for its load opens it once.
    FileSource(std::string path, const FileIdentity& identity, int descriptor)
        : path_(std::move(path)),
          identity_(identity),
          length_(static_cast<std::uint64_t>(identity.size)),
          descriptor_(descriptor) {}
    ~FileSource() override { Close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Length() const override { return length_; }
    const std::string& DisplayName() const override { return path_; }

    // A session starts by opening the file and checking that it is unchanged,
    // so that an action on a changed file stops before it shows anything.
    void BeginReading() const override {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (sessions_ == 0) EnsureOpen();
        ++sessions_;
    }
    void EndReading() const override {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (sessions_ > 0 && --sessions_ == 0) Close();
    }

    void CheckUnchanged() const override {
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        struct stat status {};
        // The open file itself when a session holds it: a file renamed over
        // this one leaves what was read whole.
        const int got = descriptor_ >= 0 ? ::fstat(descriptor_, &status) : ::stat(path_.c_str(), &status);
        if (got != 0 || !(FileIdentity::Of(status) == identity_)) {
            throw FileChangedError(
                "The file \"" + path_ +
                "\" has changed since it was analysed: read it again to see it as it is now.");
        }
    }

    std::string Read(std::uint64_t offset, std::uint64_t count) const override {
        const std::uint64_t present = offsets::BytesBefore(offset, count, length_);
        if (present == 0) return {};
        const std::lock_guard<std::recursive_mutex> lock(mutex_);
        // Inside a session the file was checked when it began, so the cache
        // answers as it is: the many small reads of one action cost no call.
        if (sessions_ > 0 && InCache(offset, present)) return cache_.substr(offset - cacheStart_, present);
        // Outside a session the file is closed again after this one read,
        // and the cache, emptied when the last session closed it, is filled anew.
        ReadingSession single(this);
        EnsureOpen();
        if (present <= kCacheBlock) {
            FillCache(offset, offsets::BytesBefore(offset, kCacheBlock, length_));
            return cache_.substr(0, present);
        }
        std::string bytes(present, '\0');
        ReadInto(bytes.data(), offset, present);
        return bytes;
    }

private:
    bool InCache(std::uint64_t offset, std::uint64_t count) const {
        return offset >= cacheStart_ && offsets::Fits(offset - cacheStart_, count, cache_.size());
    }

    void EnsureOpen() const {
        if (descriptor_ >= 0) return;
        struct stat status {};
        std::string reason;
        const int descriptor = OpenRegularFile(path_, status, reason);
        if (descriptor < 0) {
            throw FileChangedError("The file \"" + path_ + "\" can no longer be read (" + reason +
                                   "): read it again to see it as it is now.");
        }
        if (!(FileIdentity::Of(status) == identity_)) {
            ::close(descriptor);
            throw FileChangedError(
                "The file \"" + path_ +
                "\" has changed since it was analysed: read it again to see it as it is now.");
        }
        descriptor_ = descriptor;
    }

    void Close() const {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = -1;
        cache_.clear();
        cache_.shrink_to_fit();
        cacheStart_ = 0;
    }

    // The cache holds the `count` bytes from `offset` on; its buffer is
    // reused block after block. A read that fails leaves it empty.
    void FillCache(std::uint64_t offset, std::uint64_t count) const {
        cache_.resize(count);
        try {
            ReadInto(cache_.data(), offset, count);
        } catch (...) {
            cache_.clear();
            throw;
        }
        cacheStart_ = offset;
    }

    void ReadInto(char* into, std::uint64_t offset, std::uint64_t count) const {
        std::uint64_t done = 0;
        while (done < count) {
            const ssize_t got =
                ::pread(descriptor_, into + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw WaveDocError(CannotRead(path_, ErrorText(errno)));
            if (got == 0) throw WaveDocError(CannotRead(path_, "it has become shorter since it was opened"));
            done += static_cast<std::uint64_t>(got);
        }
    }

    std::string path_;
    FileIdentity identity_;
    std::uint64_t length_;
    // A window's document is read by the window and, while a report of it is
    // saved, by the saving thread: the open file and its cache are shared.
    mutable std::recursive_mutex mutex_;
    mutable int descriptor_ = -1;
    mutable int sessions_ = 0;
    mutable std::string cache_;
    mutable std::uint64_t cacheStart_ = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(std::string bytes, std::string displayName)
        : bytes_(std::move(bytes)), displayName_(std::move(displayName)) {}

    std::uint64_t Length() const override { return bytes_.size(); }
    const std::string& DisplayName() const override { return displayName_; }

    std::string Read(std::uint64_t offset, std::uint64_t count) const override {
        const std::uint64_t present = offsets::BytesBefore(offset, count, bytes_.size());
        if (present == 0) return {};
        return bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(present));
    }

private:
    std::string bytes_;
    std::string displayName_;
};

}  // namespace

std::shared_ptr<const ByteSource> OpenFileSource(const std::string& path, std::string& reason) {
    // The type is checked before opening: opening a FIFO for reading would wait
    // for a writer, and a device such as /dev/zero never ends.
    struct stat status {};
    if (const std::string problem = StatProblem(::stat(path.c_str(), &status), status); !problem.empty()) {
        reason = CannotRead(path, problem);
        return nullptr;
    }
    std::string problem;
    const int descriptor = OpenRegularFile(path, status, problem);
    if (descriptor < 0) {
        reason = CannotRead(path, problem);
        return nullptr;
    }
    reason.clear();
    try {
        return std::make_shared<FileSource>(path, FileIdentity::Of(status), descriptor);
    } catch (...) {
        ::close(descriptor);
        throw;
    }
}

std::shared_ptr<const ByteSource> MakeMemorySource(std::string bytes, std::string displayName) {
    return std::make_shared<MemorySource>(std::move(bytes), std::move(displayName));
}

}  // namespace wavedoc
