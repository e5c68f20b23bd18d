#include "detail_rows.h"

#include <limits>
#include <string>

#include "text/cut_text.h"
#include "wavedoc/reading/riff_layout.h"

std::string ShownText(std::string text, std::uint64_t length, std::uint64_t limit) {
    if (length <= limit) return text;
    return MarkCut(CutAtCharacter(text, limit), length);
}

void AddNumberRow(RowSink& grid, std::string_view label, std::int32_t value,
                  const std::optional<ByteRange>& at) {
    const RowRange range(grid, at);
    grid.AppendNumber(label, value);
}

ByteRange ContentRange(const wavedoc::ChunkBase& chunk, std::uint64_t offset, std::uint64_t length) {
    return ByteRange{chunk.Offset() + wavedoc::layout::kChunkHeaderSize + offset, length};
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
