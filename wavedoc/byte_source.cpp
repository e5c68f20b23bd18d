#include "byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "offset_math.h"
#include "wave_error.h"

namespace wavedoc {
namespace {

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
            return std::strerror(error);
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

class FileSource : public ByteSource {
public:
    FileSource(int descriptor, std::uint64_t length, std::string displayName)
        : descriptor_(descriptor), length_(length), displayName_(std::move(displayName)) {}
    ~FileSource() override { ::close(descriptor_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Length() const override { return length_; }
    const std::string& DisplayName() const override { return displayName_; }

    std::string Read(std::uint64_t offset, std::uint64_t count) const override {
        std::string bytes(offsets::BytesBefore(offset, count, length_), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::pread(descriptor_, bytes.data() + done, bytes.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw WaveDocError(CannotRead(displayName_, std::strerror(errno)));
            if (got == 0) {
                throw WaveDocError(CannotRead(displayName_, "it has become shorter since it was opened"));
            }
            done += static_cast<std::size_t>(got);
        }
        return bytes;
    }

private:
    int descriptor_;
    std::uint64_t length_;
    std::string displayName_;
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
    // O_NONBLOCK keeps open from waiting should the path have been replaced by a
    // FIFO since the check; the type is checked again on what was really opened.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        reason = CannotRead(path, OpenFailureReason(errno));
        return nullptr;
    }
    if (const std::string problem = StatProblem(::fstat(descriptor, &status), status); !problem.empty()) {
        ::close(descriptor);
        reason = CannotRead(path, problem);
        return nullptr;
    }
    reason.clear();
    return std::make_shared<FileSource>(descriptor, static_cast<std::uint64_t>(status.st_size), path);
}

std::shared_ptr<const ByteSource> MakeMemorySource(std::string bytes, std::string displayName) {
    return std::make_shared<MemorySource>(std::move(bytes), std::move(displayName));
}

}  // namespace wavedoc
