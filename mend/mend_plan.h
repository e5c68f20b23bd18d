#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/analysis.h"

// A mended copy of a WAV file: what the check finds, planned as changes, each
// answering one finding code, then written by the same plan (plan, then act,
// as e2fsck -n shows what e2fsck would do). The source is never written; the
// copy keeps every byte of the audio (whole frames) and of every metadata
// chunk, and changes only the sizes, heads, pad bytes and order the faults
// require.
namespace mend {

// One change the copy makes.
struct Change {
    std::string code;          // the finding code it answers, as the check names it
    std::uint64_t offset = 0;  // the bytes of FILE it concerns: select them to see it
    std::uint64_t length = 0;
    std::string sentence;  // what the copy does, one plain sentence
};

// A finding the mend does not answer, and why: what needs a person to decide.
struct LeftAlone {
    std::string code;
    std::uint64_t offset = 0;
    std::string reason;  // one sentence
};

// Bytes of FILE the copy does not hold.
struct Dropped {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::string why;  // one sentence
};

// A run of the copy's bytes: copied from FILE, or made by the mend (a header,
// a size, a pad byte). Together, in order, the pieces are the whole copy.
struct Piece {
    bool copy = false;
    std::uint64_t from = 0;    // in FILE, for a copy
    std::uint64_t length = 0;  // bytes of the copy
    std::string bytes;         // the made bytes, for a piece that is no copy
    bool audio = false;        // the audio: compared byte for byte and hashed
};

// What mending a file comes to, before anything is written.
struct Plan {
    std::string path;
    // Why FILE cannot be mended at all (it is no WAV form, it cannot be read),
    // one sentence naming it; empty when it can. No copy is written then.
    std::string refusal;
    std::vector<Change> changes;
    std::vector<LeftAlone> leftAlone;
    std::vector<Dropped> dropped;
    // The errors of FILE's check that no change answers, "code at offset N".
    std::vector<std::string> unanswered;
    std::vector<Piece> pieces;
    std::uint64_t sourceLength = 0;
    std::uint64_t destLength = 0;
    std::uint64_t audioOffset = 0;  // where the audio the copy keeps starts in FILE
    std::uint64_t audioBytes = 0;   // whole frames

    bool Refused() const { return !refusal.empty(); }
    bool NothingToMend() const { return refusal.empty() && changes.empty(); }
};

// Whether a finding concerns the file's top level (the RIFF head, a chunk of
// the top level or stray bytes there), where the mend works; a finding inside
// a list is not one it answers.
bool AtTopLevel(const wavecheck::Finding& finding, const wavedoc::WaveDocument& document);

// Plans the mend of the file `analysis` loaded and checked (it must have been
// checked; its document's source is read for the few heads the plan needs).
// Never raises: a read that fails is a refusal.
Plan MakePlan(const report::Analysis& analysis);

}  // namespace mend
