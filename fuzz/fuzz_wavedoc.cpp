// Feeds arbitrary bytes to the wave document and runs everything the window
// runs on a file: the chunk list, the details of every listed chunk and the
// data chunk's content, the structure map and the check. Each input is loaded
// twice, from memory and from a file on disk holding the same bytes, and both
// loads must show the same thing. Each step must either finish or end in its
// one-sentence message; anything else (another exception, a crash, a leak, a
// huge allocation, a hang) is a finding, and so is a broken promise of the
// interface, which aborts with a note saying which. What one load runs lives
// in analyse_input.h, shared with fuzz_structure.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "analyse_input.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace {

using fuzzcheck::Finding;
using fuzzcheck::kDisplayName;
using fuzzcheck::Require;

// The file each input is written to for the load from disk: one per process,
// so that a merge's child processes do not share it, removed at exit.
class InputFile {
public:
    InputFile() : path_("/tmp/ondulo-fuzz-" + std::to_string(::getpid()) + ".wav") {}
    ~InputFile() { ::unlink(path_.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return path_; }

    void Write(const std::string& bytes) const {
        const int descriptor = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (descriptor < 0) Finding("cannot create the input file", path_);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) Finding("cannot write the input file", path_);
            done += static_cast<std::size_t>(wrote);
        }
        if (::close(descriptor) != 0) Finding("cannot close the input file", path_);
    }

private:
    std::string path_;
};

const InputFile& TheInputFile() {
    static const InputFile file;
    return file;
}

// The text with every occurrence of the file's name replaced by the name the
// memory load goes by, so that the two loads' sentences can be compared.
std::string AsMemoryName(std::string text, const std::string& name) {
    if (name == kDisplayName) return text;
    for (std::size_t at = text.find(name); at != std::string::npos;
         at = text.find(name, at + kDisplayName.size())) {
        text.replace(at, name.size(), kDisplayName);
    }
    return text;
}

// One load of the input: into a document that held the previous file, from
// memory or from the file on disk; `name` is what its messages call the file.
struct Load {
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;  // listens to the load
    std::string name;
    std::int16_t status = wavedoc::LoadOk;
};

// The notes of a successful load, written with the memory load's name.
std::vector<std::string> NotesOf(const Load& load) {
    std::vector<std::string> notes;
    for (const std::string& note : fuzzcheck::CheckedNotes(load.document, load.name)) {
        notes.push_back(AsMemoryName(note, load.name));
    }
    return notes;
}

// The details of one chunk, the sentence written with the memory load's name.
fuzzcheck::ChunkView ShowChunk(const Load& load, const std::string& chunkName, bool writeOut) {
    fuzzcheck::ChunkView view = fuzzcheck::ShowChunk(load.document, chunkName, writeOut);
    if (view.stopped) view.stopped = AsMemoryName(*view.stopped, load.name);
    return view;
}

// Both loads show one chunk alike; what they show goes through the writers
// once, since it is the same text.
void ShowChunkBoth(const Load& memory, const Load& file, const std::string& chunkName) {
    const fuzzcheck::ChunkView fromMemory = ShowChunk(memory, chunkName, true);
    const fuzzcheck::ChunkView fromFile = ShowChunk(file, chunkName, false);
    if (!(fromMemory == fromFile)) {
        Finding("the loads from memory and from a file show a chunk differently:",
                chunkName + ": " + std::to_string(fromMemory.rows.Count()) + " / " +
                    std::to_string(fromFile.rows.Count()) + " rows, stopped: " +
                    fromMemory.stopped.value_or("no") + " / " + fromFile.stopped.value_or("no"));
    }
}

void ShowEveryChunk(Load& memory, Load& file, const std::string& bytes) {
    const std::vector<std::string> notes = NotesOf(memory);
    Require(notes == NotesOf(file), "the loads from memory and from a file note different things");
    for (const std::string& note : notes) fuzzcheck::WriteOut(note);

    const std::vector<std::string> chunkList = fuzzcheck::ChunkListRows(memory.document);
    Require(chunkList == fuzzcheck::ChunkListRows(file.document),
            "the loads from memory and from a file list different chunks");
    for (const std::string& row : chunkList) {
        fuzzcheck::WriteOut(row);
        ShowChunkBoth(memory, file, std::string(rows::SplitRow(row).first));
    }
    for (Load* load : {&memory, &file}) fuzzcheck::CheckDataChunk(load->document, bytes.size());
}

// The structure map covers every byte of the file, and the check says the same
// things of both loads.
void MapAndCheck(Load& memory, Load& file, const std::string& bytes) {
    std::vector<std::vector<std::string>> codes;
    for (Load* load : {&memory, &file}) {
        fuzzcheck::MapSummary summary = fuzzcheck::MapAndCheck(load->document, load->check);
        Require(12 + summary.covered == bytes.size(), "the structure map does not cover the file");
        codes.push_back(std::move(summary.findings));
    }
    Require(codes[0] == codes[1], "the loads from memory and from a file have different findings");
}

void Check(const std::string& bytes) {
    const InputFile& file = TheInputFile();
    file.Write(bytes);
    Load fromMemory;
    fromMemory.name = kDisplayName;
    Load fromFile;
    fromFile.name = file.Path();
    fuzzcheck::LoadPreviousFile(fromMemory.document);
    fuzzcheck::LoadPreviousFile(fromFile.document);

    fromMemory.status = fromMemory.document.LoadFromMemory(bytes, fromMemory.name, &fromMemory.check);
    fromFile.status = fromFile.document.Load(fromFile.name, &fromFile.check);
    if (fromMemory.status != fromFile.status) {
        Finding("the loads from memory and from a file end differently:",
                fromMemory.document.LoadError() + " / " + fromFile.document.LoadError());
    }
    if (fromMemory.status != wavedoc::LoadOk) {
        fuzzcheck::CheckRefusal(fromMemory.document, fromMemory.status, fromMemory.name);
        fuzzcheck::CheckRefusal(fromFile.document, fromFile.status, fromFile.name);
        Require(fromMemory.document.LoadError() == AsMemoryName(fromFile.document.LoadError(), fromFile.name),
                "the loads from memory and from a file refuse differently:", fromFile.document.LoadError());
        fuzzcheck::WriteOut(fromMemory.document.LoadError());
        return;
    }
    Require(bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0,
            "a file without a RIFF WAVE head was accepted");
    MapAndCheck(fromMemory, fromFile, bytes);
    ShowEveryChunk(fromMemory, fromFile, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
