#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/counted.h"
#include "wavecheck/findings.h"
#include "wavecheck/metadata_entries.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/riff_layout.h"

// What the check functions share: the report they add findings to, the facts
// the walk gathered, and the facts several checks need (format code, audio
// length, cue ids).
namespace wavecheck::detail {

// Looks at no more than this many records or entries of one chunk, so that a
// chunk of millions of records costs no more than a bounded walk.
inline constexpr std::uint64_t kMostRecords = 65536;

// The findings of one code: every one counted, the first few kept.
struct CodeFindings {
    std::string_view code;
    Level level;
    bool mayBeError = false;  // whether its check may give an error (FileCheck's errorsOnly runs it)
    std::vector<Finding> kept;
    std::uint64_t total = 0;
    std::array<std::uint64_t, 3> byLevel{};  // indexed by Level
};

// Adds findings to one code's bucket. Add uses the level the table gives the
// code; a check whose finding is milder or graver in some cases passes its own.
class Report {
public:
    explicit Report(CodeFindings& bucket) : bucket_(&bucket) {}
    // A finding about the chunk, sub-chunk or bytes that start at offset.
    void Add(std::uint64_t offset, std::string chunk, std::string message) {
        Add(offset, std::move(chunk), std::move(message), bucket_->level);
    }
    void Add(std::uint64_t offset, std::string chunk, std::string message, Level level) {
        Keep(
            Finding{std::string(bucket_->code), level, offset, offset, std::move(chunk), std::move(message)});
    }
    // A finding about a record at offset inside the chunk at chunkOffset.
    void AddRecord(std::uint64_t offset, std::uint64_t chunkOffset, std::string chunk, std::string message) {
        AddRecord(offset, chunkOffset, std::move(chunk), std::move(message), bucket_->level);
    }
    void AddRecord(std::uint64_t offset, std::uint64_t chunkOffset, std::string chunk, std::string message,
                   Level level) {
        Keep(Finding{std::string(bucket_->code), level, offset, chunkOffset, std::move(chunk),
                     std::move(message)});
    }
    // As Add, with the message made by make() only when the finding is kept:
    // a check that runs on every entry of the walk may meet millions of like
    // faults, and past the first few of a code a finding is only counted.
    template <typename MakeMessage>
    void AddMade(std::uint64_t offset, std::string_view chunk, MakeMessage make,
                 std::optional<Level> level = std::nullopt) {
        const Level at = level.value_or(bucket_->level);
        if (Count(at)) {
            bucket_->kept.push_back(
                Finding{std::string(bucket_->code), at, offset, offset, std::string(chunk), make()});
        }
    }

private:
    void Keep(Finding finding);
    // Counts a finding at `level`; true when it is to be kept as well.
    bool Count(Level level);

    CodeFindings* bucket_;
};

// What the walk told the check beyond each entry: the RIFF size, the file's
// length, and the top-level chunks that decide the file-wide checks.
struct WalkFacts {
    std::uint64_t riffSize = 0;  // in a 64-bit file, as ds64 gives it
    wavedoc::FileForm form = wavedoc::FileForm::Riff;
    std::uint64_t fileLength = 0;
    std::optional<wavedoc::MapEntry> lastTopLevel;    // the last top-level entry
    std::optional<wavedoc::MapEntry> ds64Elsewhere;   // a top-level ds64 chunk not at offset 12
    std::optional<wavedoc::MapEntry> md5;             // the first top-level "MD5 " chunk
    std::optional<wavedoc::MapEntry> riffEndsInside;  // the first top-level chunk the RIFF end cuts
    bool topLevelRunsPastEnd = false;                 // a top-level chunk runs past the end of the file
    // The file ends inside a top-level chunk header while the RIFF size says
    // more follows: the file was cut there.
    bool topLevelCutHeader = false;
    // Bytes that are no chunk at the top level before the fmt or the data
    // chunk was met: what follows is lost to every reader.
    bool topLevelNotAChunk = false;
    // Bytes that are no chunk at the top level after the fmt and data chunks:
    // whether readers lose anything there is judged once the file is loaded,
    // by what the bytes and the data chunk before them hold.
    std::optional<wavedoc::MapEntry> strayAfterAudio;
    std::optional<wavedoc::MapEntry> lastTopLevelChunk;  // the last top-level chunk before the current entry
    std::optional<std::uint64_t> topLevelStray;          // where top-level bytes that are no chunk start
    bool fmtMet = false;   // a top-level fmt chunk came before the current entry
    bool dataMet = false;  // a top-level data chunk came before the current entry
    std::optional<wavedoc::MapEntry> chunkAfterRiffEnd;  // the first whole top-level chunk past the RIFF end
    // The first top-level list of an odd size with its pad byte, and the
    // chunk right after it.
    std::optional<std::pair<wavedoc::MapEntry, wavedoc::MapEntry>> chunkAfterOddList;
    // The same for the first top-level fmt chunk of an odd size.
    std::optional<std::pair<wavedoc::MapEntry, wavedoc::MapEntry>> chunkAfterOddFmt;
    std::uint64_t ds64Chunks = 0;  // top-level ds64 chunks so far
    std::uint64_t md5Chunks = 0;   // top-level "MD5 " chunks so far
    // At each depth, the chunk before the current entry when its pad byte
    // (missing, or not zero) is judged by what follows it.
    std::array<std::optional<wavedoc::MapEntry>, wavedoc::kMostListDepth + 1> padPending;
    // At each depth, whether the list whose sub-chunks lie there runs past its
    // own end: its last sub-chunk is cut by the same fault.
    std::array<bool, wavedoc::kMostListDepth + 1> levelCut{};
    std::uint64_t topLevelPadsMissing = 0;  // top-level chunks without their pad byte
    MetadataEntries metadata;               // the chunks the metadata checks read

    // Where the RIFF size says the RIFF chunk ends (a size from ds64 may reach 2^64).
    std::uint64_t RiffEnd() const {
        constexpr std::uint64_t kHeader = wavedoc::layout::kChunkHeaderSize;
        return riffSize > UINT64_MAX - kHeader ? UINT64_MAX : kHeader + riffSize;
    }
    // The RIFF size is what a streaming writer leaves when it never goes back
    // to fill it in.
    bool RiffSizeIsPlaceholder() const;
    // The last chunk, a data chunk, has such a placeholder for its size, or
    // a bogus one (see IsBogusDataSize).
    bool LastChunkSizeIsPlaceholder() const;
    // A size on the last chunk, a data chunk, that runs past the end of the
    // file and reads as a negative 32-bit number, where the RIFF size fits
    // the file: its writer finished the RIFF header but never gave the data
    // chunk a real size. A file cut short has a RIFF size past its end too.
    bool IsBogusDataSize(const wavedoc::MapEntry& chunk) const;
    // The file ends before the chunks do: cut inside a chunk or a header, or
    // before the end its RIFF size gives; or bytes that are no chunk stand
    // where the fmt or data chunk should. Whatever is missing then is lost
    // with it, and the finding that says where tells it.
    bool EndsShort() const {
        return topLevelRunsPastEnd || topLevelCutHeader || topLevelNotAChunk ||
               (!RiffSizeIsPlaceholder() && RiffEnd() > fileLength);
    }
};

// What a check of one walked entry reads.
struct EntryInput {
    const wavedoc::MapEntry& entry;
    const WalkFacts& facts;
};

// One cue point as the checks need it.
struct CuePointFields {
    std::uint32_t id;
    std::uint32_t sampleOffset;
};

// The sample offset of each cue point id, the first point of an id counting:
// the points sorted by id once, then looked up by binary search (one
// allocation, where a hash map makes one per point).
class CueOffsets {
public:
    // Takes the points in file order; answers the indexes, ascending, of those
    // whose id an earlier point has.
    std::vector<std::size_t> Build(const std::vector<CuePointFields>& points);
    bool Contains(std::uint32_t id) const { return Find(id).has_value(); }
    std::optional<std::uint32_t> Find(std::uint32_t id) const;

private:
    std::vector<CuePointFields> byId_;  // one per id, the first point of it
    // Whether the ids run without a gap (1, 2, 3 … as writers number them),
    // so that an id's place is its distance from the first.
    bool idsRun_ = false;
};

// The cue points, read once for all the checks that look at them.
struct CueTable {
    std::vector<CuePointFields> points;    // the first kMostRecords, in file order
    CueOffsets offsets;                    // by id; the first point of an id counts
    std::vector<std::size_t> repeatedIds;  // indexes into points of those whose id an earlier one has
};

// A label, note or labelled text of the associated data list shown, as the
// checks need it: read once for all of them.
struct AdtlEntryFields {
    std::uint64_t offset = 0;
    std::uint64_t present = 0;
    std::string_view id;                      // "labl", "note" or "ltxt"
    std::optional<std::uint32_t> cuePointId;  // when the entry holds one
    bool cut = false;                         // it runs past the end of its list or the file
};

struct CheckInput {
    const wavedoc::WaveDocument& document;
    const WalkFacts& facts;
    const CheckOptions& options;
    // What Cues reads, kept for the next check that asks.
    mutable std::optional<std::optional<CueTable>> cues = std::nullopt;
    // What AdtlEntries reads, kept likewise.
    mutable std::optional<std::vector<AdtlEntryFields>> adtlEntries = std::nullopt;
    // The sound as measured, when the claims about it are to be compared.
    const MeasuredSound* measured = nullptr;
};

using EntryCheck = void (*)(const EntryInput&, Report&);
using DocumentCheck = void (*)(const CheckInput&, Report&);

// The first of several like faults in one chunk, and how many there are, so
// that a chunk of thousands of bad records gives one finding, not thousands.
struct FirstFault {
    std::uint64_t count = 0;
    std::uint64_t offset = 0;
    std::uint64_t chunkOffset = 0;
    std::string chunk;
    std::string message;

    // Counts a fault at offset `at`, in `chunk` or its sub-chunk itself (at
    // its own offset); the message is only made for the first.
    template <typename MakeMessage>
    void Note(std::uint64_t at, const wavedoc::ChunkBase& inChunk, MakeMessage make) {
        Note(at, inChunk.Offset(), inChunk.Name(), make);
    }
    // The same for a fault in the chunk `id` at `inChunkAt`, as the walk met it.
    template <typename MakeMessage>
    void Note(std::uint64_t at, std::uint64_t inChunkAt, std::string_view id, MakeMessage make) {
        if (count++ == 0) {
            offset = at;
            chunkOffset = inChunkAt;
            chunk = id;
            message = make();
        }
    }
    // Adds the finding, if any, naming how many more faults of the kind follow;
    // at the code's level, or at `level` when given.
    void AddTo(Report& report, std::string_view noun, std::string_view nounPlural,
               std::optional<Level> level = std::nullopt) const;
};

// The content bytes present of a chunk the document holds; nothing when the
// file has no such chunk.
std::optional<std::uint64_t> Present(const wavedoc::ChunkBase& chunk);

// Whether a chunk's size takes in what follows it: it runs past the end of
// the file, or bytes that are no chunk start right after it (its size runs
// into the next chunk). Its fields past its own are then not judged: the
// finding about the size or the stray bytes says it.
bool SizeTakesInMore(const CheckInput& input, const wavedoc::ChunkBase& chunk);

// Whether the fmt chunk holds its 16 bytes of fields.
bool HasFormatFields(const CheckInput& input);

// The format code, with the extensible format resolved to its sub-format's
// code; nothing without format fields, or for an extensible format whose
// sub-format is none of the plain format codes (or is cut off).
std::optional<std::uint32_t> FormatCode(const CheckInput& input);

inline constexpr std::uint32_t kPcm = 1;
inline constexpr std::uint32_t kMsAdpcm = 2;
inline constexpr std::uint32_t kFloat = 3;
inline constexpr std::uint32_t kALaw = 6;
inline constexpr std::uint32_t kMuLaw = 7;
inline constexpr std::uint32_t kImaAdpcm = 0x11;

// PCM, float, A-law and µ-law (plain or extensible): a frame is one sample
// per channel in whole bytes, so the block align is the frame size and the
// length follows from the data chunk's size.
bool FrameIsBlock(const CheckInput& input);

// The bytes of one frame: for formats whose frame is the block, one sample
// per channel in whole bytes, as readers work it out from the channels and
// bits whatever the block align says; for others the block align. Nothing
// without format fields, or where that comes to 0.
std::optional<std::uint64_t> FrameSize(const CheckInput& input);

// Stray bytes after the audio right after a data chunk of size 0: a
// streaming writer's placeholder, with the audio after it.
bool StrayFollowsEmptyData(const WalkFacts& facts);

// A plain RIFF recording of 4 GiB or more whose writer kept 32-bit sizes: the
// data chunk is the last chunk, bytes that start no chunk follow it to the end
// of the file, and from its content to that end lie its size plus a multiple
// of 4 GiB. Those bytes; nothing for any other file.
std::optional<std::uint64_t> WrappedAudio(const CheckInput& input);

// The whole frames of the data chunk: its bytes present over the frame size.
// Nothing without data or a frame size, or when the data chunk's size is a
// placeholder of 0 with the audio after it.
std::optional<std::uint64_t> DataFrames(const CheckInput& input);

// How long the audio is, in sample frames, and how a sentence names that
// length. For formats whose frame is the block, the data chunk's frames;
// for compressed audio, the length its fact chunk gives; nothing when the
// length is not known.
struct AudioLength {
    std::uint64_t frames = 0;
    std::string words;  // "the \"data\" chunk's 16 frames"
};
std::optional<AudioLength> LengthOfAudio(const CheckInput& input);

// The cue points of the first kMostRecords records, and their sample offsets
// by id; nothing without a cue chunk. Read on the first call and kept in
// `input` for the others.
const std::optional<CueTable>& Cues(const CheckInput& input);

// A size or count as stored: the unsigned value of a 32-bit field.
inline std::uint32_t Stored(std::int32_t field) { return static_cast<std::uint32_t>(field); }

// A 32-bit field as a sentence gives it: its unsigned value, and the signed
// value the grids show when that differs ("4294967295 (shown as -1)").
std::string FieldValue(std::uint32_t value);

// "\"fmt \"": a chunk id quoted for a sentence.
std::string Quoted(std::string_view id);
// "0x41" for a byte, "0xFFFFFFFF" for a 32-bit field: the value in `digits`
// hexadecimal digits.
std::string Hex(std::uint32_t value, int digits);
// "\"bext\" chunk at offset 52": a chunk the walk met, for a sentence.
std::string ChunkAt(const wavedoc::MapEntry& entry);
// A text the file holds, quoted for a sentence: printable ASCII as it is,
// any other byte as \xHH, so a sentence stays plain text whatever the bytes.
std::string QuotedText(std::string_view text);
// At most `count` content bytes of a chunk the walk met, from `from` on: fewer
// where the bytes present end.
std::string ReadContent(const CheckInput& input, const wavedoc::MapEntry& entry, std::uint64_t from,
                        std::uint64_t count);
// The bytes ReadContent gives from the start of the content, as fields read in
// the file's byte order, as the rows read them.
wavedoc::FieldReader ContentFields(const CheckInput& input, const wavedoc::MapEntry& entry,
                                   std::uint64_t count);
// "1 byte", "2 bytes", as every sentence of Ondulo counts.
using text::Agreeing;
using text::Counted;
// "at offset 96 (in the \"smpl\" chunk at offset 52)": where a record of a
// chunk lies, for a sentence.
std::string RecordPlace(std::uint64_t offset, const wavedoc::ChunkBase& chunk);
// The same for a 32-bit field: "4294967295 (shown as -1) bytes".
std::string CountField(std::uint32_t n, std::string_view noun, std::string_view nounPlural);
// The fact chunk's sample count (which it must hold); in a 64-bit file, where
// it holds 0xFFFFFFFF, the count ds64 gives.
std::uint64_t FactSamples(const CheckInput& input);
// The same for a size that may come from ds64: a 32-bit one as CountField
// gives it, a larger one as it is.
std::string CountSize(std::uint64_t n, std::string_view noun, std::string_view nounPlural);

}  // namespace wavecheck::detail
