#include "mend/mend_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "report/new_file.h"
#include "wavecheck/sha256.h"
#include "wavedoc/reading/error_text.h"
#include "wavedoc/reading/wave_error.h"

namespace mend {
namespace {

// The most bytes read or written at once: two buffers of it are all the
// memory a write holds, whatever the file's size.
constexpr std::size_t kPiece = 4 * 1024 * 1024;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Close() {
        if (fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// The temporary file, removed unless it was renamed over DEST.
struct Temporary {
    std::string path;
    bool renamed = false;
    ~Temporary() {
        if (!path.empty() && !renamed) ::unlink(path.c_str());
    }
};

bool WriteAll(int fd, const char* bytes, std::size_t count, std::uint64_t at) {
    while (count > 0) {
        const ssize_t done = ::pwrite(fd, bytes, count, static_cast<off_t>(at));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = ENOSPC;
            return false;
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
        at += static_cast<std::uint64_t>(done);
    }
    return true;
}

// Reads exactly `count` bytes; false (errno 0 for a short file) when it cannot.
bool ReadAll(int fd, char* bytes, std::size_t count, std::uint64_t at) {
    while (count > 0) {
        const ssize_t done = ::pread(fd, bytes, count, static_cast<off_t>(at));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = 0;
            return false;
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
        at += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool SameVersion(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

class Writer {
public:
    Writer(const report::Analysis& analysis, const Plan& plan, const std::string& destination,
           const WriteOptions& options)
        : analysis_(analysis), plan_(plan), destination_(destination), options_(options) {}

    WriteResult Run();

private:
    WriteResult Failure(int error) {
        WriteResult result;
        result.status = WriteStatus::Failed;
        result.message = "The mended copy could not be written to \"" + destination_ + "\"" +
                         (error != 0 ? ": " + wavedoc::ErrorText(error) : std::string()) +
                         "; nothing was left there.";
        return result;
    }
    WriteResult Changed() {
        WriteResult result;
        result.status = WriteStatus::Changed;
        result.message =
            "\"" + plan_.path +
            "\" has changed since it was analysed, so no copy was written: mend it again once it is "
            "finished.";
        return result;
    }
    bool Cancelled() const {
        return options_.cancel != nullptr && options_.cancel->load(std::memory_order_relaxed);
    }
    void Tell(bool last) {
        if (!options_.progress) return;
        const auto now = std::chrono::steady_clock::now();
        if (!last && now - told_ < std::chrono::milliseconds(200)) return;
        told_ = now;
        options_.progress(done_, plan_.destLength);
    }
    // Copies [from, from+length) of FILE to `at` in the copy; false with
    // `error_` set (or changed_) when it cannot.
    bool Copy(std::uint64_t from, std::uint64_t length, std::uint64_t at, bool audio);

    const report::Analysis& analysis_;
    const Plan& plan_;
    std::string destination_;
    const WriteOptions& options_;
    int source_ = -1;
    int copy_ = -1;
    std::vector<char> read_;
    std::vector<char> back_;
    wavecheck::Sha256 sourceHash_;
    std::uint64_t done_ = 0;
    std::chrono::steady_clock::time_point told_{};
    int error_ = 0;
    bool changed_ = false;
    bool cancelled_ = false;
    bool differs_ = false;
    std::uint64_t firstDifference_ = 0;
};

bool Writer::Copy(std::uint64_t from, std::uint64_t length, std::uint64_t at, bool audio) {
    const std::uint64_t end = from + length;
    std::uint64_t here = from;
    while (here < end) {
        if (Cancelled()) {
            cancelled_ = true;
            return false;
        }
        // A hole of a sparse FILE stays a hole: nothing is written there.
        off_t data = ::lseek(source_, static_cast<off_t>(here), SEEK_DATA);
        if (data < 0) data = errno == ENXIO ? static_cast<off_t>(end) : static_cast<off_t>(here);
        if (static_cast<std::uint64_t>(data) > here) {
            const std::uint64_t hole = std::min<std::uint64_t>(static_cast<std::uint64_t>(data), end) - here;
            if (audio) {
                sourceHash_.UpdateZeros(hole);
            }
            here += hole;
            at += hole;
            done_ += hole;
            Tell(false);
            continue;
        }
        off_t holeAt = ::lseek(source_, static_cast<off_t>(here), SEEK_HOLE);
        if (holeAt < 0 || static_cast<std::uint64_t>(holeAt) <= here) holeAt = static_cast<off_t>(end);
        const std::uint64_t runEnd = std::min<std::uint64_t>(static_cast<std::uint64_t>(holeAt), end);
        while (here < runEnd) {
            if (Cancelled()) {
                cancelled_ = true;
                return false;
            }
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(runEnd - here, kPiece));
            if (!ReadAll(source_, read_.data(), part, here)) {
                if (errno == 0) changed_ = true;
                error_ = errno;
                return false;
            }
            if (!WriteAll(copy_, read_.data(), part, at)) {
                error_ = errno;
                return false;
            }
            // What reached the copy, read back and compared with FILE's bytes.
            if (!ReadAll(copy_, back_.data(), part, at)) {
                error_ = errno == 0 ? EIO : errno;
                return false;
            }
            if (!differs_ && std::memcmp(read_.data(), back_.data(), part) != 0) {
                differs_ = true;
                firstDifference_ = at;
            }
            if (audio) {
                sourceHash_.Update(std::string_view(read_.data(), part));
            }
            here += part;
            at += part;
            done_ += part;
            Tell(false);
        }
    }
    return true;
}

WriteResult Writer::Run() {
    WriteResult refused;
    refused.status = WriteStatus::Refused;
    if (plan_.Refused()) {
        refused.message = plan_.refusal;
        return refused;
    }
    if (plan_.NothingToMend()) {
        refused.message = "\"" + plan_.path + "\" has nothing to mend, so no copy was written.";
        return refused;
    }
    if (SameFile(plan_.path, destination_)) {
        refused.message = "\"" + destination_ + "\" is \"" + plan_.path +
                          "\" itself: Ondulo never mends a file in place; name another file for the copy.";
        return refused;
    }
    struct stat existing {};
    if (::stat(destination_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        // A folder, a device, a pipe: the copy never replaces one.
        refused.message =
            "\"" + destination_ + "\" is not a regular file; the copy replaces none but a file.";
        return refused;
    }
    Descriptor source(::open(plan_.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0) return Changed();
    struct stat before {};
    if (::fstat(source.Get(), &before) != 0 ||
        static_cast<std::uint64_t>(before.st_size) != plan_.sourceLength) {
        return Changed();
    }
    source_ = source.Get();
    Temporary temporary;
    const std::string base = destination_.substr(destination_.rfind('/') + 1);
    std::string pattern = report::FolderOf(destination_) + "/." + base + ".mend-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    Descriptor copy(::mkostemp(name.data(), O_CLOEXEC));
    if (copy.Get() < 0) return Failure(errno);
    temporary.path.assign(name.data());
    // An existing DEST keeps its permissions; a new one gets a new file's.
    ::fchmod(copy.Get(), ::stat(destination_.c_str(), &existing) == 0
                             ? static_cast<mode_t>(existing.st_mode & 07777)
                             : report::NewFileMode());
    copy_ = copy.Get();
    // The copy's length at once, so that a hole at its end is a hole.
    if (::ftruncate(copy_, static_cast<off_t>(plan_.destLength)) != 0) return Failure(errno);
    try {
        read_.resize(kPiece);
        back_.resize(kPiece);
    } catch (const std::bad_alloc&) {
        return Failure(ENOMEM);
    }
    std::uint64_t at = 0;
    for (const Piece& piece : plan_.pieces) {
        if (Cancelled()) cancelled_ = true;
        if (cancelled_) break;
        if (piece.copy) {
            if (!Copy(piece.from, piece.length, at, piece.audio)) break;
        } else {
            if (!WriteAll(copy_, piece.bytes.data(), piece.bytes.size(), at)) {
                error_ = errno;
                break;
            }
            done_ += piece.length;
        }
        at += piece.length;
    }
    if (cancelled_) {
        WriteResult result;
        result.status = WriteStatus::Cancelled;
        result.message = "The mend was cancelled; nothing was written to \"" + destination_ + "\".";
        return result;
    }
    if (changed_) return Changed();
    if (error_ != 0 || at != plan_.destLength) return Failure(error_);
    if (differs_) {
        WriteResult result = Failure(EIO);
        result.message = "The bytes read back from the copy differ from \"" + plan_.path + "\" at offset " +
                         std::to_string(firstDifference_) + " of the copy, so no copy was kept at \"" +
                         destination_ + "\".";
        return result;
    }
    if (options_.sync && ::fsync(copy_) != 0) return Failure(errno);
    if (!copy.Close()) return Failure(errno);
    // FILE must still be the one analysed and read.
    struct stat after {};
    if (::fstat(source_, &after) != 0 || !SameVersion(before, after)) return Changed();
    try {
        analysis_.document->Source()->CheckUnchanged();
    } catch (const wavedoc::WaveDocError&) {
        return Changed();
    }
    if (::rename(temporary.path.c_str(), destination_.c_str()) != 0) return Failure(errno);
    temporary.renamed = true;
    const Descriptor folder(
        ::open(report::FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0 && options_.sync) ::fsync(folder.Get());
    Tell(true);
    WriteResult result;
    result.status = WriteStatus::Written;
    result.audioBytes = plan_.audioBytes;
    result.sourceAudioSha256 = wavecheck::Sha256::Hex(sourceHash_.Finish());
    // Every byte of the copy's audio was read back and found equal to
    // FILE's (a hole of FILE is a hole of the copy): the same digest.
    result.destAudioSha256 = result.sourceAudioSha256;
    result.destLength = plan_.destLength;
    return result;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

WriteResult WritePlan(const report::Analysis& analysis, const Plan& plan, const std::string& destination,
                      const WriteOptions& options) {
    Writer writer(analysis, plan, destination, options);
    return writer.Run();
}

}  // namespace mend
