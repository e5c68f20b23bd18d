#include "report/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <streambuf>
#include <vector>

#include "report/new_file.h"
#include "wavedoc/reading/error_text.h"

namespace report {

namespace {

std::string WriteFailure(const std::string& destination, int error) {
    return "The report could not be written to \"" + destination + "\"" +
           (error != 0 ? ": " + wavedoc::ErrorText(error) : std::string()) + ".";
}

}  // namespace

// A stream buffer of fixed size that writes to a file descriptor, stopping
// (by throwing) at the first failed write or once cancelled.
class ReplacingFile::Buffer : public std::streambuf {
public:
    static constexpr std::size_t kSize = 256 * 1024;

    Buffer(int descriptor, const std::atomic<bool>* cancel, std::atomic<std::uint64_t>* written)
        : descriptor_(descriptor), cancel_(cancel), written_(written), bytes_(kSize) {
        setp(bytes_.data(), bytes_.data() + bytes_.size());
    }
    ~Buffer() override { Close(); }

    int Error() const { return error_; }
    bool Cancelled() const { return cancelled_; }

    // Writes what is held; throws Stopped when that cannot be done.
    void Drain() {
        if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) cancelled_ = true;
        if (cancelled_ || error_ != 0) throw Stopped{};
        const char* from = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        while (left > 0) {
            const ssize_t done = ::write(descriptor_, from, left);
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) {
                error_ = done < 0 ? errno : ENOSPC;
                throw Stopped{};
            }
            from += done;
            left -= static_cast<std::size_t>(done);
            if (written_ != nullptr)
                written_->fetch_add(static_cast<std::uint64_t>(done), std::memory_order_relaxed);
        }
        setp(bytes_.data(), bytes_.data() + bytes_.size());
    }

    // Syncs the file to the disk and closes it; false (with Error()) when
    // either fails.
    bool SyncAndClose() {
        if (::fsync(descriptor_) != 0) {
            error_ = errno;
            Close();
            return false;
        }
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (::close(descriptor) != 0 && errno != EINTR) {
            error_ = errno;
            return false;
        }
        return true;
    }

    void Close() {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = -1;
    }

protected:
    int_type overflow(int_type c) override {
        Drain();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* from, std::streamsize count) override {
        std::streamsize done = 0;
        while (done < count) {
            if (pptr() == epptr()) Drain();
            const std::streamsize room = epptr() - pptr();
            const std::streamsize part = count - done < room ? count - done : room;
            std::memcpy(pptr(), from + done, static_cast<std::size_t>(part));
            pbump(static_cast<int>(part));
            done += part;
        }
        return done;
    }

    int sync() override {
        Drain();
        return 0;
    }

private:
    int descriptor_;
    const std::atomic<bool>* cancel_;
    std::atomic<std::uint64_t>* written_;
    std::vector<char> bytes_;
    int error_ = 0;
    bool cancelled_ = false;
};

ReplacingFile::ReplacingFile(std::string destination, const std::atomic<bool>* cancel,
                             std::atomic<std::uint64_t>* written)
    : destination_(std::move(destination)) {
    const std::string folder = FolderOf(destination_);
    const std::string base = destination_.substr(destination_.rfind('/') + 1);
    std::string name = folder + "/." + base + ".XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    int error = descriptor < 0 ? errno : 0;
    if (descriptor >= 0) {
        temporary_.assign(pattern.data());
        // The new file gets the permissions of the one it replaces, or those
        // of any new file; mkostemp makes it readable by its owner alone.
        struct stat existing {};
        const mode_t mode = ::stat(destination_.c_str(), &existing) == 0
                                ? static_cast<mode_t>(existing.st_mode & 07777)
                                : NewFileMode();
        ::fchmod(descriptor, mode);
    }
    buffer_ = std::make_unique<Buffer>(descriptor, cancel, written);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    // A failed write ends the writing at once: the writers' exceptions pass
    // through the stream rather than leaving it failed and written on.
    stream_->exceptions(std::ios::badbit);
    if (descriptor < 0) {
        failure_ = WriteFailure(destination_, error);
    }
}

ReplacingFile::~ReplacingFile() {
    buffer_->Close();
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

std::ostream& ReplacingFile::Stream() { return *stream_; }

std::optional<std::string> ReplacingFile::Failure() const {
    if (failure_) return failure_;
    if (buffer_->Error() != 0) return WriteFailure(destination_, buffer_->Error());
    return std::nullopt;
}

bool ReplacingFile::Cancelled() const { return buffer_->Cancelled(); }

std::optional<std::string> ReplacingFile::Commit() {
    if (std::optional<std::string> failure = Failure()) return failure;
    if (Cancelled()) return std::nullopt;
    try {
        buffer_->Drain();
    } catch (const Stopped&) {
        if (Cancelled()) return std::nullopt;
        return Failure();
    }
    if (!buffer_->SyncAndClose()) return Failure();
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        failure_ = WriteFailure(destination_, errno);
        return failure_;
    }
    committed_ = true;
    // The rename itself reaches the disk with the folder's entry.
    const int folder = ::open(FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

}  // namespace report
