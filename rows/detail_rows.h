#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "row_sink.h"
#include "wavedoc/chunks/chunk_base.h"

namespace wavedoc {
class WaveDocument;
}

namespace rows {

// What the detail routines share: the placeholders, the number rows and the
// walk over a counted collection with its 16-bit position.

// Shown where a chunk holds content that the view does not show; some rows
// carry it with one leading space.
inline constexpr std::string_view kPlaceholder = "( . . . )";
inline constexpr std::string_view kSpacedPlaceholder = " ( . . . )";

// Raised by a routine that cannot go on for a reason of its own (a count or an
// octave that does not fit in 16 bits). The message is the reason, written to
// follow "The ... chunk could not be shown in full: ".
class DetailStop : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text as a cell shows it, from the bytes read of it (SubChunkEntry::ReadText)
// and its whole length: whole when it is no longer than `limit`; otherwise
// its first bytes, without a character cut in two, marked as cut
// (cut_text.h).
std::string ShownText(std::string text, std::uint64_t length, std::uint64_t limit);

// "The cue chunk could not be shown in full: " followed by the reason, which
// starts in lower case when it is an ordinary capitalised sentence. The name
// is the chunk id as stored; trailing spaces are left out.
std::string IncompleteSentence(std::string_view chunkName, std::string reason);

// The range of `length` bytes at `offset` in the content of `chunk` (after
// its eight-byte header).
ByteRange ContentRange(const wavedoc::ChunkBase& chunk, std::uint64_t offset, std::uint64_t length);
// The range of a field of a layout in the content of `chunk`.
ByteRange ContentRange(const wavedoc::ChunkBase& chunk, const wavedoc::Field& field);

// A value row whose value is the plain signed decimal text of `value`.
// `at` is where the number's bytes lie.
void AddNumberRow(RowSink& grid, std::string_view label, std::int32_t value,
                  const std::optional<ByteRange>& at = std::nullopt);

// The loop bound for `count` entries (`what` names them in the plural, e.g.
// "cue points"): the count as a 16-bit signed number. Raises DetailStop when
// the count lies outside -32768 to 32767.
std::int16_t NarrowCount(std::int32_t count, std::string_view what);

// How the records of a counted collection are shown: the rows each gives,
// how many from the first the chunk holds whole, where each lies, and the
// routine that appends one record's rows.
struct ListedEntries {
    std::string_view what;  // the records in the plural, e.g. "cue points"
    std::size_t rowsEach = 0;
    std::int32_t held = 0;
    ByteRange (*place)(const wavedoc::WaveDocument& document, std::int32_t position) = nullptr;
    void (*show)(const wavedoc::WaveDocument& document, std::int16_t position, RowSink& values) = nullptr;
};

// Shows positions 1 up to `count` narrowed to 16 bits (nothing when it is
// below 1), so at most 32767 records: those held whole as one run, which a
// grid makes as it is scrolled to, then each further one as the collection
// answers it, which stops the routine at the first it does not hold. The
// document must outlive the rows of a sink that keeps the run.
void ShowListedEntries(RowSink& values, const wavedoc::WaveDocument& document, std::int32_t count,
                       const ListedEntries& entries);

}  // namespace rows
