#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/wav_builder.h"

// Broken and hostile files shared by the tests of the component, ondulo-dump
// and the window, and a scratch directory to hold them.
namespace hostile {

using namespace wavtest;

inline const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));
inline const std::string kData = Chunk("data", "abcd");

// A file that loads well, held by the document before each hostile load.
inline std::string GoodFile() { return RiffFile(kFmt + Chunk("fact", U32(2)) + kData); }

inline std::string Repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// An associated data list of `count` labels of four bytes each.
inline std::string ManyLabels(int count) {
    return Chunk("LIST", ListPayload("adtl", Repeated(Chunk("labl", U32(1)), count)));
}

// A LIST whose only label claims 100 bytes while the LIST ends 9 bytes into it;
// the chunk after the LIST must not be read as the rest of the label.
inline std::string LabelRunningPastItsList() {
    const std::string label = "labl" + U32(100) + U32(5) + "Intro";
    return Chunk("LIST", "adtl" + label) + Chunk("data", "SECRET");
}

// A label whose text has no terminating zero, then a note.
inline std::string LabelWithoutZero() {
    return Chunk("LIST",
                 ListPayload("adtl", Chunk("labl", U32(1) + "Intro") + Chunk("note", LabelPayload(2, "n"))));
}

// The bytes of a file, or empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A directory of its own, removed with everything in it at the end.
class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondulo-hostile-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    ~Scratch() { std::filesystem::remove_all(dir_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // name may hold any bytes but '/' and zero, spaces and non-UTF-8 included.
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string File(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    std::string Fifo(const std::string& name) const {
        ::mkfifo(Path(name).c_str(), 0600);
        return Path(name);
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

}  // namespace hostile
