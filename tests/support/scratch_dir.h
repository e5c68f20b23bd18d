#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

// A folder of its own under the system's temporary folder, for files a test
// writes, removed with everything in it at the end.
namespace wavtest {

// The bytes of a file, or empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondulo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder: " + pattern);
        dir_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder itself.
    const std::string& Dir() const { return dir_; }
    // A path inside the folder; name may hold any bytes but '/' and zero,
    // spaces and non-UTF-8 included. Nothing is made there.
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // Writes (or rewrites) a file of these bytes and gives its path.
    std::string File(const std::string& name, const std::string& bytes) const {
        const std::string path = Path(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) throw std::runtime_error("cannot write " + path);
        return path;
    }
    // Makes a named pipe and gives its path; opening it for reading would wait
    // for a writer.
    std::string Fifo(const std::string& name) const {
        const std::string path = Path(name);
        if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("cannot make the pipe " + path);
        return path;
    }

private:
    std::string dir_;
};

}  // namespace wavtest
