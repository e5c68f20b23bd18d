#include "detail_rows.h"

#include <algorithm>
#include <limits>
#include <string>

#include "text/cut_text.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace rows {

std::string ShownText(std::string text, std::uint64_t length, std::uint64_t limit) {
    if (length <= limit) return text;
    return text::MarkCut(text::CutAtCharacter(text, limit), length);
}

void AddNumberRow(RowSink& grid, std::string_view label, std::int32_t value,
                  const std::optional<ByteRange>& at) {
    const RowRange range(grid, at);
    grid.AppendNumber(label, value);
}

ByteRange ContentRange(const wavedoc::ChunkBase& chunk, std::uint64_t offset, std::uint64_t length) {
    return ByteRange{chunk.Offset() + wavedoc::layout::kChunkHeaderSize + offset, length};
}

ByteRange ContentRange(const wavedoc::ChunkBase& chunk, const wavedoc::Field& field) {
    return ContentRange(chunk, field.offset, field.width);
}

std::int16_t NarrowCount(std::int32_t count, std::string_view what) {
    constexpr std::int32_t kLowest = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kHighest = std::numeric_limits<std::int16_t>::max();
    if (count > kHighest) {
        throw DetailStop("it has " + std::to_string(count) + " " + std::string(what) + ", and at most " +
                         std::to_string(kHighest) + " can be listed.");
    }
    if (count < kLowest) {
        throw DetailStop("its count of " + std::string(what) + ", " + std::to_string(count) +
                         ", lies below " + std::to_string(kLowest) + " and cannot be used.");
    }
    return static_cast<std::int16_t>(count);
}

std::string IncompleteSentence(std::string_view chunkName, std::string reason) {
    const std::size_t end = chunkName.find_last_not_of(' ');
    const std::string_view shownName = chunkName.substr(0, end == std::string_view::npos ? 0 : end + 1);
    if (reason.size() >= 2 && reason[0] >= 'A' && reason[0] <= 'Z' && reason[1] >= 'a' && reason[1] <= 'z') {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    if (reason.empty() || reason.back() != '.') reason += '.';
    return "The " + std::string(shownName) + " chunk could not be shown in full: " + reason;
}

void ShowListedEntries(RowSink& values, const wavedoc::WaveDocument& document, std::int32_t count,
                       const ListedEntries& entries) {
    const std::int16_t bound = NarrowCount(count, entries.what);
    // A negative count shows no records (and is no range to clamp into).
    const std::int32_t whole = bound < 1 ? 0 : std::clamp<std::int32_t>(entries.held, 0, bound);
    if (whole >= 1) {
        // The run may be made long after this routine returns: it holds the
        // document by address and opens the file for each piece it makes.
        const wavedoc::WaveDocument* shown = &document;
        values.AppendRun(RecordRun{
            whole, entries.rowsEach,
            [shown, show = entries.show](std::int32_t first, std::int32_t last, RowSink& rows) {
                // A file changed since its load is said by the first read of
                // a record, after the rows that need no reading, as the
                // routine says it.
                std::optional<wavedoc::ReadingSession> session;
                try {
                    session.emplace(shown->Source());
                } catch (const wavedoc::FileChangedError&) {
                }
                for (std::int32_t i = first; i <= last; ++i) show(*shown, static_cast<std::int16_t>(i), rows);
            },
            [shown, place = entries.place](std::int32_t position) { return place(*shown, position); }});
    }
    // A wider counter, so that a bound of 32767 ends the loop instead of wrapping.
    for (std::int32_t i = whole + 1; i <= bound; ++i) {
        entries.show(document, static_cast<std::int16_t>(i), values);
    }
}

}  // namespace rows
