#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wavecheck/measured_sound.h"
#include "wavedoc/document/file_walk.h"
#include "wavedoc/document/wave_document.h"

// What is wrong or questionable in a WAV file: one small function per finding
// code, all listed in one table. Levels, as real readers (libsndfile,
// FFmpeg, Python's wave, SoX) bear them out: an error means some reader
// refuses the file or loses audio or metadata its bytes hold; a warning,
// every reader gets the content but some report it wrongly, or a common
// reader relies on the rule it breaks; a note, nothing is lost.
namespace wavecheck {

enum class Level { Error, Warning, Note };

// "error", "warning" or "note".
std::string_view LevelName(Level level);

struct Finding {
    std::string code;  // stable: never renamed once released, e.g. "riff-size"
    Level level = Level::Note;
    std::uint64_t offset = 0;  // where the chunk, the bytes or the record it concerns start
    // Where the chunk or the bytes it concerns start, as --structure lists
    // them: for a record inside a chunk (a cue point, a play segment, a
    // sample loop) that chunk's offset, else the same as offset.
    std::uint64_t chunkOffset = 0;
    std::string chunk;    // the id of the chunk it concerns, as stored; empty for none
    std::string message;  // one plain sentence
};

// How many findings of one code there are in all.
struct CodeCount {
    std::string_view code;
    std::uint64_t total = 0;
    std::uint64_t shown = 0;  // of them, how many Findings::shown holds
};

// What checking a file came to. The counts are exact however many findings
// there are; the findings themselves are kept up to kMostShownPerCode of each
// code, in the table's order.
struct Findings {
    static constexpr std::size_t kMostShownPerCode = 100;

    std::vector<Finding> shown;
    std::vector<CodeCount> counts;  // the codes that have findings, in the table's order
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    std::uint64_t notes = 0;
    // Why the check could not finish (the file changed, no memory), one
    // sentence naming the file; empty when it finished.
    std::string unfinished;

    std::uint64_t Total() const { return errors + warnings + notes; }
    bool HasProblems() const { return errors + warnings > 0; }
    bool Finished() const { return unfinished.empty(); }
};

// What a check does beyond the findings every check gives.
struct CheckOptions {
    // Hash the audio and compare it with the digest of an "MD5 " chunk: it
    // reads the whole data chunk, so only when asked.
    bool verifyMd5 = false;
    // Told, a few times a second at most and once when the hashing ends, how
    // many bytes of audio are hashed of how many; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Run only the checks that may find an error, for a caller that shows
    // the errors alone (the content a reader loses): the others' findings
    // would be counted and thrown away.
    bool errorsOnly = false;
};

// Checks a file as the document's load walks it: pass it to
// WaveDocument::Load, which tells it of every chunk, sub-chunk and run of
// stray bytes; then Finish runs the checks that read the loaded document.
// The structural checks thus see every entry of the file, not the bounded
// map. Use one FileCheck for one load.
class FileCheck : public wavedoc::WalkObserver {
public:
    explicit FileCheck(CheckOptions options = {});
    ~FileCheck() override;
    FileCheck(const FileCheck&) = delete;
    FileCheck& operator=(const FileCheck&) = delete;

    void Begin(std::uint64_t riffSize, wavedoc::FileForm form, std::uint64_t fileLength) override;
    void Entry(const wavedoc::MapEntry& entry) override;

    // What the file claims about its sound, as the walk met it: known once
    // the load has ended, for measuring the sound before Finish.
    SoundClaims Claims() const;

    // Every finding about the document this FileCheck watched load, and,
    // given the sound as measured, the claims compared with it. Reads
    // records through the document; a file that changed meanwhile, or a lack
    // of memory, leaves the findings so far with `unfinished` set.
    Findings Finish(const wavedoc::WaveDocument& document, const MeasuredSound* measured = nullptr);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The claims of a file about its sound compared with the sound measured
// after its check (loudness-mismatch, peak-mismatch): the findings of those
// codes alone, as Finish gives them when it is given the measured sound.
Findings CheckMeasured(const wavedoc::WaveDocument& document, const SoundClaims& claims,
                       const MeasuredSound& measured);

// The codes of the table, in its order.
std::vector<std::string_view> FindingCodes();

}  // namespace wavecheck
