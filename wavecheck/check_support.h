#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "wavecheck/findings.h"

// What the check functions share: the report they add findings to, and the
// facts several of them need (bytes present, frame count, format code, cue ids).
namespace wavecheck::detail {

// Looks at no more than this many records or entries of one chunk, so that a
// chunk of millions of records costs no more than a bounded walk.
inline constexpr std::uint64_t kMostRecords = 65536;

// The findings of one code. Add uses the level the table gives the code; a
// check whose finding is milder in some cases (a streaming writer's
// placeholder) passes its own.
class Report {
public:
    Report(std::string_view code, Level level, std::vector<Finding>& out)
        : code_(code), level_(level), out_(&out) {}
    void Add(std::uint64_t offset, std::string chunk, std::string message) {
        Add(offset, std::move(chunk), std::move(message), level_);
    }
    void Add(std::uint64_t offset, std::string chunk, std::string message, Level level) {
        out_->push_back(Finding{std::string(code_), level, offset, std::move(chunk), std::move(message)});
    }

private:
    std::string_view code_;
    Level level_;
    std::vector<Finding>* out_;
};

using CheckFunction = void (*)(const CheckInput&, Report&);

// The first of several like faults in one chunk, and how many there are, so
// that a chunk of thousands of bad records gives one finding, not thousands.
struct FirstFault {
    std::uint64_t count = 0;
    std::uint64_t offset = 0;
    std::string chunk;
    std::string message;

    // Counts a fault at offset in the chunk (or sub-chunk) with id; the
    // message is only made for the first.
    template <typename MakeMessage>
    void Note(std::uint64_t at, std::string_view id, MakeMessage make) {
        if (count++ == 0) {
            offset = at;
            chunk = id;
            message = make();
        }
    }
    // Adds the finding, if any, naming how many more faults of the kind follow.
    void AddTo(Report& report, std::string_view noun, std::string_view nounPlural) const;
};

// The top-level map entry of the chunk at offset, or null.
const wavedoc::MapEntry* EntryAt(const CheckInput& input, std::uint64_t offset);

// The content bytes present of a chunk the document holds; nothing when the
// file has no such chunk.
std::optional<std::uint64_t> Present(const CheckInput& input, const wavedoc::ChunkBase& chunk);

// Whether the fmt chunk holds its 16 bytes of fields.
bool HasFormatFields(const CheckInput& input);

// The format code, with the extensible format resolved to its sub-format's
// code; nothing without format fields, or for an extensible format whose
// sub-format is none of the plain format codes (or is cut off).
std::optional<std::uint32_t> FormatCode(const CheckInput& input);

inline constexpr std::uint32_t kPcm = 1;
inline constexpr std::uint32_t kFloat = 3;
inline constexpr std::uint32_t kALaw = 6;
inline constexpr std::uint32_t kMuLaw = 7;
inline constexpr std::uint32_t kExtensible = 0xFFFE;

// The whole frames of the data chunk: its bytes present over the block align.
// Nothing without data, format fields or a block align.
std::optional<std::uint64_t> DataFrames(const CheckInput& input);

// The sample offsets of the cue points, by id, of the first kMostRecords
// records; the first point of an id counts. Nothing without a cue chunk.
std::optional<std::unordered_map<std::uint32_t, std::uint32_t>> CueOffsets(const CheckInput& input);

// The RIFF size field, and whether it is a streaming writer's placeholder.
std::uint32_t RiffSize(const CheckInput& input);
bool RiffSizeIsPlaceholder(const CheckInput& input);

// A size or count as stored: the unsigned value of a 32-bit field.
inline std::uint32_t Stored(std::int32_t field) { return static_cast<std::uint32_t>(field); }

// "\"fmt \"": a chunk id quoted for a sentence.
std::string Quoted(std::string_view id);
// "1 byte", "2 bytes".
std::string Count(std::uint64_t n, std::string_view noun, std::string_view nounPlural);

}  // namespace wavecheck::detail
