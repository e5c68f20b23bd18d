#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/analysis.h"
#include "rows/row_sink.h"
#include "wavecheck/findings.h"

// What changed between two WAV files, in the files' own terms: the chunks
// matched by id, list type and order, their rows compared label by label,
// the records of counted runs (cue points, loops, labels) matched by id, the
// findings that appear or disappear, the form, and the audio compared by
// streaming its bytes. A is the file before, B the file after.
namespace diff {

// One row whose value differs between the files, or that only one shows.
// A heading row has the empty value.
struct RowChange {
    std::string label;             // without the leading spaces that indent it
    std::optional<std::string> a;  // the value in A; nothing when A has no such row
    std::optional<std::string> b;
    std::optional<rows::ByteRange> atA;  // where the value's bytes lie in A, when it has a range
    std::optional<rows::ByteRange> atB;
};

enum class Presence { Both, OnlyA, OnlyB };

// A record of a counted run, matched by its id (a cue point's ID, a loop's or
// a label's cue point ID), then by its order among records of the same id.
struct RecordChange {
    Presence presence = Presence::Both;
    std::string name;  // "Cue Point (ID 7)", "labl (label) (Cue point ID 2)"
    std::optional<rows::ByteRange> atA;
    std::optional<rows::ByteRange> atB;
    std::vector<RowChange> rows;  // for a record in both: its rows that differ
};

// Where an entry of the structure map lies in one file.
struct Place {
    std::uint64_t offset = 0;
    std::uint64_t covered = 0;    // header, content and pad byte, or the stray bytes
    std::uint64_t declared = 0;   // the size the chunk declares (ds64's where it gives one)
    std::uint32_t sizeField = 0;  // the size field as stored
};

// One entry of either map: a chunk, a sub-chunk or a run of stray bytes.
struct EntryDiff {
    Presence presence = Presence::Both;
    std::string path;  // "LIST INFO/IART": its id, a list's type, the lists around it; raw bytes
    std::string id;    // as stored; empty for stray bytes
    std::string listType;
    int depth = 0;
    std::optional<Place> a;
    std::optional<Place> b;
    bool moved = false;        // its order among the entries of its level changed
    bool bytesDiffer = false;  // the rows agree but the content's bytes do not
    std::vector<RowChange> rows;
    std::vector<RecordChange> records;
    std::optional<std::string> stoppedA;  // why its rows stop short in A, when they do
    std::optional<std::string> stoppedB;

    bool Resized() const { return a && b && a->declared != b->declared; }
    bool Changed() const {
        return bytesDiffer || Resized() || !rows.empty() || !records.empty() ||
               stoppedA.has_value() != stoppedB.has_value();
    }
    bool Same() const { return presence == Presence::Both && !moved && !Changed(); }
    // "added", "dropped", "changed", "moved" or "same"; a moved entry that
    // also changed is "changed", with `moved` set.
    std::string_view Mark() const;
};

// A finding of one file that the other does not have, matched by code, the
// chunk it concerns and its order among those.
struct FindingChange {
    bool appeared = false;  // in B, not in A; otherwise gone from A
    wavecheck::Finding finding;
};

enum class AudioVerdict {
    Identical,      // the same bytes (across byte orders, the same samples)
    NoAudio,        // neither file has a data chunk
    Differs,        // first differing frame known
    LengthDiffers,  // the same as far as the shorter goes: frames added or cut at the end
    OtherFormat,    // the same frame count and rate in another sample format: not compared
    Unlike,         // another length, rate or channel count, or only one file has audio
};

struct AudioSide {
    bool present = false;      // the file has a data chunk
    std::uint64_t offset = 0;  // where the audio's bytes start
    std::uint64_t bytes = 0;   // as the file holds them
    std::uint64_t frames = 0;  // whole frames
    std::uint32_t frameBytes = 0;
    std::uint32_t sampleBytes = 0;  // a sample of one channel, when the format has whole-byte samples
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::string format;  // "16-bit PCM", "IMA ADPCM" ...
    bool bigEndian = false;
};

struct AudioDiff {
    AudioVerdict verdict = AudioVerdict::NoAudio;
    AudioSide a;
    AudioSide b;
    bool acrossByteOrders = false;            // compared sample by sample with the bytes swapped
    std::optional<std::uint64_t> firstFrame;  // Differs: the first frame that differs
    double firstSecond = 0;                   // that frame's time
};

// Everything that differs between two files.
struct Diff {
    std::string pathA;
    std::string pathB;
    // Why the two could not be compared (a file that cannot be read, or that
    // changed while it was read), one sentence naming the file; empty when
    // they were.
    std::string trouble;
    std::string formA;  // "RIFF", "RF64", "BW64", "RIFX"
    std::string formB;
    std::uint64_t lengthA = 0;
    std::uint64_t lengthB = 0;
    std::uint64_t riffSizeA = 0;  // the size the RIFF head declares (ds64's where it gives one)
    std::uint64_t riffSizeB = 0;
    // Every entry of both maps: A's in A's order, each one only B has after
    // the entry B has before it.
    std::vector<EntryDiff> entries;
    std::vector<FindingChange> findings;
    AudioDiff audio;

    bool Trouble() const { return !trouble.empty(); }
    bool AudioSame() const;
    // Nothing differs: the form, every entry, the findings, the audio.
    bool Same() const;
    // The files differ in their form and in sizes alone: a RIFF file and its
    // RF64 or RIFX copy. ds64 and filler chunks, size fields and the findings
    // that follow from the form do not count as content.
    bool FormAndSizesOnly() const;
    std::size_t ChangedEntries() const;
};

// Compares two analyses (loaded, and checked for the findings to compare).
// Reads the rows of every entry and streams the audio of both files once.
// Never raises: a read that fails is trouble.
Diff Compare(const report::Analysis& a, const report::Analysis& b);

// Analyses both files and compares them.
Diff CompareFiles(const std::string& pathA, const std::string& pathB);

}  // namespace diff
