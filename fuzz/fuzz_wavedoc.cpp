// Feeds arbitrary bytes to the wave document and runs everything the window
// runs on a file: the chunk list, the details of every listed chunk and the
// data chunk's content. Each step must either finish or end in its one-sentence
// message; anything else (another exception, a crash, a leak, a huge
// allocation, a hang) is a finding, and so is a broken promise of the
// interface, which aborts with a note saying which.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "json_writer.h"
#include "support/wav_builder.h"
#include "text_report.h"
#include "ui/detail/chunk_details.h"
#include "ui/main/fill_chunk_list.h"
#include "wavedoc/wave_document.h"
#include "wavedoc/wave_error.h"

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

// The file every failed load must leave in place: a format and a data chunk.
const std::string& PreviousFile() {
    static const std::string file = wavtest::RiffFile(wavtest::Chunk("fmt ", wavtest::PcmFormat(1, 8000, 8)) +
                                                      wavtest::Chunk("data", "ab"));
    return file;
}

// The load must say what is wrong with a file it refuses, name the file, and
// keep the document it held before.
void CheckRefusal(const wavedoc::WaveDocument& document, std::int16_t status) {
    Require(
        status == wavedoc::LoadNotRiff || status == wavedoc::LoadNotWave || status == wavedoc::LoadUnreadable,
        "unknown load status");
    RequireSentence(document.LoadError(), "load refused without a sentence:");
    Require(document.LoadError().find(kDisplayName) != std::string::npos,
            "load error does not name the file:", document.LoadError());
    Require(
        document.Fmt().Name() == "fmt " && document.Data().Name() == "data" && document.Cue().Name().empty(),
        "a refused load changed the previous document");
}

// What the JSON and terminal writers make of a row must not fail either.
void WriteOut(const std::string& text) {
    const std::string json = JsonString(text);
    Require(json.size() >= 2 && json.front() == '"' && json.back() == '"', "malformed JSON string");
    TerminalText(text);
}

void ShowEveryChunk(const wavedoc::WaveDocument& document, const std::string& bytes) {
    RowList chunkList;
    RowList values;
    FillChunkList(document, chunkList, values);
    for (const std::string& row : chunkList.Rows()) {
        const auto [name, size] = SplitRow(row);
        Require(name.size() == 4, "a listed chunk name is not four characters:", name);
        const std::optional<std::string> stopped = ShowChunkDetails(document, std::string(name), values);
        if (stopped) {
            RequireSentence(*stopped, "details stopped without a sentence:");
            WriteOut(*stopped);
        }
        for (const std::string& value : values.Rows()) WriteOut(value);
    }

    const std::string content = document.Data().Data();
    Require(content.size() <= bytes.size(), "data chunk content longer than the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    wavedoc::WaveDocument document;
    Require(document.LoadFromMemory(PreviousFile(), std::string(kDisplayName)) == wavedoc::LoadOk,
            "the reference file does not load");

    try {
        const std::int16_t status = document.LoadFromMemory(bytes, std::string(kDisplayName));
        if (status != wavedoc::LoadOk) {
            CheckRefusal(document, status);
            return 0;
        }
        Require(bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0,
                "a file without a RIFF WAVE head was accepted");
        ShowEveryChunk(document, bytes);
        // The window drops the samples after a load and may then show "data" again.
        document.Data().SetData("");
        RowList values;
        Require(!ShowChunkDetails(document, "data", values), "the emptied data chunk cannot be shown");
    } catch (const wavedoc::WaveDocError& error) {
        // Only reading the data chunk's content may fail this way, and a buffer
        // in memory cannot go away.
        Finding("WaveDocError escaped:", error.what());
    } catch (const std::exception& error) {
        Finding("exception escaped:", error.what());
    }
    return 0;
}
