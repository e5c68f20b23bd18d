#pragma once

// What the fuzz targets run on one load of an input, and the promises of the
// interface they hold it to. A broken promise aborts with a note saying which
// (Finding), so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rows/row_sink.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace fuzzcheck {

// The name the memory loads go by.
inline constexpr std::string_view kDisplayName = "fuzz.wav";

[[noreturn]] void Finding(const char* what, std::string_view detail = {});
void Require(bool holds, const char* what, std::string_view detail = {});

// Runs `check` on an input's bytes: an exception that escapes it is a
// finding, since every read after a load goes through routines that turn the
// document's errors into sentences.
template <typename Check>
int CheckInput(const std::uint8_t* data, std::size_t size, Check check) {
    try {
        check(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const wavedoc::WaveDocError& error) {
        Finding("WaveDocError escaped:", error.what());
    } catch (const std::exception& error) {
        Finding("exception escaped:", error.what());
    }
    return 0;
}

// Two scratch files of this process, so that a merge's child processes do
// not share them: /tmp/ondulo-fuzz-NAME-PID-1.wav and -2.wav, removed at exit.
class ScratchPair {
public:
    explicit ScratchPair(const std::string& name);
    ~ScratchPair();
    ScratchPair(const ScratchPair&) = delete;
    ScratchPair& operator=(const ScratchPair&) = delete;

    const std::string& First() const { return first_; }
    const std::string& Second() const { return second_; }

private:
    std::string first_;
    std::string second_;
};

// Writes `bytes` to the file at `path`, in place of what it held; a failure
// is a finding.
void WriteScratch(const std::string& path, std::string_view bytes);

// A message the user sees: one non-empty sentence, ending with a full stop.
void RequireSentence(const std::string& message, const char* where);

// What the JSON and terminal writers make of a text must not fail either.
void WriteOut(const std::string& text);

// Thrown by RowDigest when a chunk has given enough rows: the entries after
// the first few hundred run the same code, and an input of 32767 cue points
// would otherwise cost seconds per run.
struct EnoughRows {};
inline constexpr std::size_t kMostRowsPerChunk = 2048;

// Takes a chunk's rows as the grid would and keeps only their number and a
// digest of their text, so that the rows of a large chunk (32767 cue points)
// need not be held to compare two loads. With writeOut, the rows also go
// through the writers.
class RowDigest : public rows::RowSink {
public:
    explicit RowDigest(bool writeOut) : writeOut_(writeOut) {}

    void ClearRows() override;
    void AppendRow(std::string_view row) override;
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

// The details of one chunk, up to kMostRowsPerChunk rows. The sentence when
// they stop short must be one, and must not take the unchanged input for a
// changed file.
ChunkView ShowChunk(const wavedoc::WaveDocument& document, const std::string& chunkName, bool writeOut);

// Loads a small file with a format and a data chunk: the document the window
// holds before it loads the input, which a refused load must leave in place.
void LoadPreviousFile(wavedoc::WaveDocument& document);

// A refused load says what is wrong in a sentence naming the file (`name`)
// and keeps the previous file's chunks.
void CheckRefusal(const wavedoc::WaveDocument& document, std::int16_t status, const std::string& name);

// The notes of a successful load, each one sentence naming the file.
std::vector<std::string> CheckedNotes(const wavedoc::WaveDocument& document, const std::string& name);

// The rows of the chunk list, each naming a chunk of four characters.
std::vector<std::string> ChunkListRows(const wavedoc::WaveDocument& document);

// The data chunk's content is no longer than the file; once the window drops
// it after a load, "data" can still be shown.
void CheckDataChunk(wavedoc::WaveDocument& document, std::size_t fileSize);

// What the structure map and the check make of a loaded document, in terms
// that do not depend on their types.
struct MapSummary {
    std::uint64_t covered = 0;          // bytes the top level of the map covers, after the RIFF header
    std::vector<std::string> findings;  // "code@offset" of each finding, in order
};

// Reads the map of the loaded document and finishes the check that listened
// to its load; requires the map to be bounded, every walked list's sub-chunks
// to cover it, the check to finish and every finding to be a sentence, and
// runs ondulo-dump's text and JSON writers on both, each entry's decoded rows
// included. The one place that calls the map and check interface. With
// `measure`, the sound is measured first and the file's claims compared with it.
MapSummary MapAndCheck(const wavedoc::WaveDocument& document, wavecheck::FileCheck& check,
                       bool measure = false);

}  // namespace fuzzcheck
