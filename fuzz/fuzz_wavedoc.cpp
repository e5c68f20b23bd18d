// Feeds arbitrary bytes to the wave document and runs everything the window
// runs on a file: the chunk list, the details of every listed chunk and the
// data chunk's content. Each input is loaded twice, from memory and from a
// file on disk holding the same bytes, and both loads must show the same
// thing. Each step must either finish or end in its one-sentence message;
// anything else (another exception, a crash, a leak, a huge allocation, a
// hang) is a finding, and so is a broken promise of the interface, which
// aborts with a note saying which.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.h"
#include "support/wav_builder.h"
#include "text_report.h"
#include "ui/detail/chunk_details.h"
#include "ui/main/fill_chunk_list.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace {

constexpr std::string_view kDisplayName = "fuzz.wav";

[[noreturn]] void Finding(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "FINDING: %s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void Require(bool holds, const char* what, std::string_view detail = {}) {
    if (!holds) Finding(what, detail);
}

// A message the user sees: one non-empty sentence, ending with a full stop.
void RequireSentence(const std::string& message, const char* where) {
    Require(!message.empty() && message.back() == '.', where, message);
}

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

// The file every failed load must leave in place: a format and a data chunk.
const std::string& PreviousFile() {
    static const std::string file = wavtest::RiffFile(wavtest::Chunk("fmt ", wavtest::PcmFormat(1, 8000, 8)) +
                                                      wavtest::Chunk("data", "ab"));
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

// What the JSON and terminal writers make of a row must not fail either.
void WriteOut(const std::string& text) {
    const std::string json = JsonString(text);
    Require(json.size() >= 2 && json.front() == '"' && json.back() == '"', "malformed JSON string");
    TerminalText(text);
}

// Thrown by RowDigest when a chunk has given enough rows: the entries after
// the first few hundred run the same code, and an input of 32767 cue points
// would otherwise cost seconds per run.
struct EnoughRows {};
constexpr std::size_t kMostRowsPerChunk = 2048;

// Takes a chunk's rows as the grid would and keeps only their number and a
// digest of their text, so that the rows of a large chunk (32767 cue points)
// need not be held twice to compare two loads. The rows of one of the two
// loads go through the writers.
class RowDigest : public RowSink {
public:
    explicit RowDigest(bool writeOut) : writeOut_(writeOut) {}

    void ClearRows() override {
        count_ = 0;
        digest_ = kOffsetBasis;
    }
    void AppendRow(std::string row) override {
        if (count_ == kMostRowsPerChunk) throw EnoughRows{};
        ++count_;
        // FNV-1a over the row and its length, so that rows cannot run together.
        for (const char byte : row) Mix(static_cast<unsigned char>(byte));
        for (std::size_t length = row.size(), i = 0; i < sizeof length; ++i, length >>= 8) Mix(length & 0xFF);
        if (writeOut_) WriteOut(row);
    }
    bool operator==(const RowDigest& other) const {
        return count_ == other.count_ && digest_ == other.digest_;
    }
    std::size_t Count() const { return count_; }

private:
    static constexpr std::uint64_t kOffsetBasis = 0xCBF29CE484222325;
    static constexpr std::uint64_t kPrime = 0x100000001B3;
    void Mix(std::uint64_t byte) { digest_ = (digest_ ^ byte) * kPrime; }

    bool writeOut_;
    std::size_t count_ = 0;
    std::uint64_t digest_ = kOffsetBasis;
};

// What the window shows of one chunk: its rows and, when it stopped, why.
struct ChunkView {
    RowDigest rows;
    std::optional<std::string> stopped;
    bool operator==(const ChunkView&) const = default;
};

// One load of the input: into a document that held the previous file, from
// memory or from the file on disk; `name` is what its messages call the file.
struct Load {
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;  // listens to the load
    std::string name;
    std::int16_t status = wavedoc::LoadOk;
};

// The load must say what is wrong with a file it refuses, name the file, and
// keep the document it held before.
void CheckRefusal(const Load& load) {
    const wavedoc::WaveDocument& document = load.document;
    Require(load.status == wavedoc::LoadNotRiff || load.status == wavedoc::LoadNotWave ||
                load.status == wavedoc::LoadUnreadable,
            "unknown load status");
    RequireSentence(document.LoadError(), "load refused without a sentence:");
    Require(document.LoadError().find(load.name) != std::string::npos,
            "load error does not name the file:", document.LoadError());
    Require(
        document.Fmt().Name() == "fmt " && document.Data().Name() == "data" && document.Cue().Name().empty(),
        "a refused load changed the previous document");
}

// The notes of a successful load, each one sentence naming the file, written
// with the memory load's name.
std::vector<std::string> NotesOf(const Load& load) {
    std::vector<std::string> notes;
    for (const std::string& note : load.document.LoadNotes()) {
        RequireSentence(note, "load note without a sentence:");
        Require(note.find(load.name) != std::string::npos, "load note does not name the file:", note);
        notes.push_back(AsMemoryName(note, load.name));
    }
    return notes;
}

// The details of one chunk, the sentence written with the memory load's name.
ChunkView ShowChunk(const Load& load, const std::string& chunkName, bool writeOut) {
    ChunkView view{RowDigest(writeOut), std::nullopt};
    try {
        view.stopped = ShowChunkDetails(load.document, chunkName, view.rows);
    } catch (const EnoughRows&) {
        return view;
    }
    if (view.stopped) {
        RequireSentence(*view.stopped, "details stopped without a sentence:");
        // The file is written once and left alone: it cannot have changed.
        Require(view.stopped->find("has changed since") == std::string::npos,
                "an unchanged file was taken for a changed one:", *view.stopped);
        if (writeOut) WriteOut(*view.stopped);
        view.stopped = AsMemoryName(*view.stopped, load.name);
    }
    return view;
}

// Both loads show one chunk alike; what they show goes through the writers
// once, since it is the same text.
void ShowChunkBoth(const Load& memory, const Load& file, const std::string& chunkName) {
    const ChunkView fromMemory = ShowChunk(memory, chunkName, true);
    const ChunkView fromFile = ShowChunk(file, chunkName, false);
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
    for (const std::string& note : notes) WriteOut(note);

    RowList chunkList;
    RowList values;
    FillChunkList(memory.document, chunkList, values);
    RowList fileChunkList;
    FillChunkList(file.document, fileChunkList, values);
    Require(chunkList.Rows() == fileChunkList.Rows(),
            "the loads from memory and from a file list different chunks");
    for (const std::string& row : chunkList.Rows()) {
        WriteOut(row);
        const auto [chunkName, size] = SplitRow(row);
        Require(chunkName.size() == 4, "a listed chunk name is not four characters:", chunkName);
        ShowChunkBoth(memory, file, std::string(chunkName));
    }

    for (Load* load : {&memory, &file}) {
        const std::string content = load->document.Data().Data();
        Require(content.size() <= bytes.size(), "data chunk content longer than the file");
        // The window drops the samples after a load and may then show "data" again.
        load->document.Data().SetData("");
        RowList emptied;
        Require(!ShowChunkDetails(load->document, "data", emptied), "the emptied data chunk cannot be shown");
    }
}

// Bytes the top level of the map covers; every walked list's sub-chunks must
// cover its content after the list type.
std::uint64_t Covered(const wavedoc::StructureMap& map) {
    struct Open {
        const wavedoc::MapEntry* list;
        std::uint64_t covered;
    };
    std::vector<Open> open;
    std::uint64_t top = 0;
    const auto close = [&](std::size_t depth) {
        for (; open.size() > depth; open.pop_back()) {
            Require(4 + open.back().covered == open.back().list->present,
                    "a list's sub-chunks do not cover it");
        }
    };
    for (const wavedoc::MapEntry& entry : map.entries) {
        Require(entry.depth >= 0 && entry.depth < wavedoc::kMostListDepth, "a map entry nested too deep");
        close(static_cast<std::size_t>(entry.depth));
        (open.empty() ? top : open.back().covered) += entry.Covered();
        if (entry.IsList() && !entry.notWalked && entry.present > 4) open.push_back({&entry, 0});
    }
    close(0);
    Require(map.entries.size() <= wavedoc::kMostMapped + wavedoc::kMostListDepth, "the map is not bounded");
    return top;
}

// The structure map covers every byte of the file, and the check says the same
// things, in sentences, of both loads.
void MapAndCheck(Load& memory, Load& file, const std::string& bytes) {
    std::vector<std::vector<std::string>> codes;
    for (Load* load : {&memory, &file}) {
        const wavedoc::ReadingSession reading(load->document.Source());
        Require(12 + Covered(load->document.Structure()) == bytes.size(),
                "the structure map does not cover the file");
        std::vector<std::string> found;
        const wavecheck::Findings findings = load->check.Finish(load->document);
        Require(findings.Finished(), "the check of an unchanged file did not finish:", findings.unfinished);
        for (const wavecheck::Finding& finding : findings.shown) {
            RequireSentence(finding.message, "a finding without a sentence:");
            WriteOut(finding.message);
            found.push_back(finding.code + "@" + std::to_string(finding.offset));
        }
        codes.push_back(std::move(found));
    }
    Require(codes[0] == codes[1], "the loads from memory and from a file have different findings");
}

// A document that holds the previous file, as the window's does before it
// loads the input.
void LoadPreviousFile(Load& load) {
    Require(load.document.LoadFromMemory(PreviousFile(), std::string(kDisplayName)) == wavedoc::LoadOk,
            "the reference file does not load");
}

void Check(const std::string& bytes) {
    const InputFile& file = TheInputFile();
    file.Write(bytes);
    Load fromMemory;
    fromMemory.name = kDisplayName;
    Load fromFile;
    fromFile.name = file.Path();
    LoadPreviousFile(fromMemory);
    LoadPreviousFile(fromFile);

    fromMemory.status = fromMemory.document.LoadFromMemory(bytes, fromMemory.name, &fromMemory.check);
    fromFile.status = fromFile.document.Load(fromFile.name, &fromFile.check);
    if (fromMemory.status != fromFile.status) {
        Finding("the loads from memory and from a file end differently:",
                fromMemory.document.LoadError() + " / " + fromFile.document.LoadError());
    }
    if (fromMemory.status != wavedoc::LoadOk) {
        CheckRefusal(fromMemory);
        CheckRefusal(fromFile);
        Require(fromMemory.document.LoadError() == AsMemoryName(fromFile.document.LoadError(), fromFile.name),
                "the loads from memory and from a file refuse differently:", fromFile.document.LoadError());
        WriteOut(fromMemory.document.LoadError());
        return;
    }
    Require(bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0,
            "a file without a RIFF WAVE head was accepted");
    MapAndCheck(fromMemory, fromFile, bytes);
    ShowEveryChunk(fromMemory, fromFile, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Check(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const wavedoc::WaveDocError& error) {
        // Every read after the load goes through ShowChunkDetails, which turns
        // these into its sentence; the file on disk is not changed meanwhile.
        Finding("WaveDocError escaped:", error.what());
    } catch (const std::exception& error) {
        Finding("exception escaped:", error.what());
    }
    return 0;
}
