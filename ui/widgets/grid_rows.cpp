#include "ui/widgets/grid_rows.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace {

// About how many rows one piece of a run makes at a time: a screen's worth
// and more, so that scrolling makes a piece now and then, not a row at a time.
constexpr std::size_t kRowsPerPiece = 256;
// How many made pieces are kept: enough for a screen that straddles two and
// for the size hints of the columns, few enough to stay small.
constexpr std::size_t kKeptPieces = 8;

std::int32_t RecordsPerPiece(const rows::RecordRun& run) {
    return static_cast<std::int32_t>(
        std::max<std::size_t>(1, kRowsPerPiece / std::max<std::size_t>(1, run.rowsEach)));
}

}  // namespace

// A stretch of rows appended one by one, or the records of a run from
// firstRecord on.
struct GridRows::Piece {
    std::size_t firstRow = 0;
    std::size_t rows = 0;
    std::size_t firstHeld = 0;                   // a stretch: its first row among the held ones
    std::shared_ptr<const rows::RecordRun> run;  // a run; null for a stretch
    std::int32_t firstRecord = 1;
};

// The rows of records first to last of a run, as they were made.
struct GridRows::Made {
    const rows::RecordRun* run = nullptr;
    std::int32_t first = 0;
    std::int32_t last = 0;
    GridRows rows;
};

GridRows::GridRows() = default;
GridRows::GridRows(GridRows&&) noexcept = default;
GridRows& GridRows::operator=(GridRows&&) noexcept = default;
GridRows::~GridRows() = default;

GridRows::GridRows(std::initializer_list<std::string_view> rows) {
    for (const std::string_view row : rows) AppendRow(row);
}

void GridRows::ClearRows() {
    stoppedAt_.reset();
    bytes_.clear();
    ends_.clear();
    ranges_.clear();
    pieces_.clear();
    made_.clear();
    count_ = 0;
}

void GridRows::AppendRow(std::string_view row) {
    if (pieces_.empty() || pieces_.back().run) pieces_.push_back(Piece{count_, 0, ends_.size(), nullptr, 1});
    bytes_.append(row);
    ends_.push_back(bytes_.size());
    ranges_.push_back(Range());
    ++pieces_.back().rows;
    ++count_;
}

void GridRows::AppendRun(const rows::RecordRun& run) {
    if (run.count < 1) return;
    // The first piece is made now, as any sink would make it: a file that
    // cannot be read stops the rows here, where the grid can say so.
    const std::int32_t first = std::min(run.count, RecordsPerPiece(run));
    run.show(1, first, *this);
    if (first == run.count) return;
    const auto rest = static_cast<std::size_t>(run.count - first);
    pieces_.push_back(
        Piece{count_, rest * run.rowsEach, 0, std::make_shared<const rows::RecordRun>(run), first + 1});
    count_ += rest * run.rowsEach;
}

void GridRows::SetStopHandler(StopHandler handler) { onStop_ = std::move(handler); }

const GridRows::Piece& GridRows::PieceOf(std::size_t i) const {
    const auto after =
        std::upper_bound(pieces_.begin(), pieces_.end(), i,
                         [](std::size_t row, const Piece& piece) { return row < piece.firstRow; });
    return *(after - 1);
}

const GridRows::Made& GridRows::MadeFor(const Piece& piece, std::int32_t record) const {
    const rows::RecordRun& run = *piece.run;
    for (auto it = made_.begin(); it != made_.end(); ++it) {
        if ((*it)->run == &run && record >= (*it)->first && record <= (*it)->last) {
            // The newest at the back, so the oldest goes first.
            std::rotate(it, it + 1, made_.end());
            return *made_.back();
        }
    }
    const std::int32_t perPiece = RecordsPerPiece(run);
    auto made = std::make_unique<Made>();
    made->run = &run;
    made->first = piece.firstRecord + (record - piece.firstRecord) / perPiece * perPiece;
    made->last = std::min(run.count, made->first + perPiece - 1);
    std::optional<std::string> stop;
    try {
        run.show(made->first, made->last, made->rows);
    } catch (const std::bad_alloc&) {
        stop = "These rows could not be shown: there is not enough memory.";
    } catch (const std::exception& error) {
        stop = error.what();
    }
    if (stop) {
        const std::size_t stoppedAt =
            piece.firstRow + static_cast<std::size_t>(made->first - piece.firstRecord) * run.rowsEach +
            made->rows.Count();
        stoppedAt_ = std::min(stoppedAt_.value_or(stoppedAt), stoppedAt);
    }
    if (made_.size() >= kKeptPieces) made_.erase(made_.begin());
    made_.push_back(std::move(made));
    if (stop && onStop_) onStop_(*stop);
    return *made_.back();
}

void GridRows::DropStoppedRows() {
    if (!stoppedAt_ || *stoppedAt_ >= count_) return;
    count_ = *stoppedAt_;
    while (!pieces_.empty() && pieces_.back().firstRow >= count_) pieces_.pop_back();
    if (!pieces_.empty()) pieces_.back().rows = count_ - pieces_.back().firstRow;
}

std::string_view GridRows::Row(std::size_t i) const {
    if (i >= count_ || (stoppedAt_ && i >= *stoppedAt_)) return {};
    const Piece& piece = PieceOf(i);
    const std::size_t within = i - piece.firstRow;
    if (!piece.run) {
        const std::size_t held = piece.firstHeld + within;
        const std::uint64_t begin = held == 0 ? 0 : ends_[held - 1];
        return std::string_view(bytes_).substr(begin, ends_[held] - begin);
    }
    const std::size_t each = piece.run->rowsEach;
    const auto record = piece.firstRecord + static_cast<std::int32_t>(within / each);
    const Made& made = MadeFor(piece, record);
    return made.rows.Row(static_cast<std::size_t>(record - made.first) * each + within % each);
}

std::optional<rows::ByteRange> GridRows::RangeOf(std::size_t i) const {
    if (i >= count_ || (stoppedAt_ && i >= *stoppedAt_)) return std::nullopt;
    const Piece& piece = PieceOf(i);
    const std::size_t within = i - piece.firstRow;
    if (!piece.run) return ranges_[piece.firstHeld + within];
    const std::size_t each = piece.run->rowsEach;
    const auto record = piece.firstRecord + static_cast<std::int32_t>(within / each);
    const Made& made = MadeFor(piece, record);
    return made.rows.RangeOf(static_cast<std::size_t>(record - made.first) * each + within % each);
}

std::vector<RangedRow> GridRows::RowsOverByte(std::uint64_t offset) const {
    std::vector<RangedRow> near;
    const auto add = [&near, offset](std::size_t row, const std::optional<rows::ByteRange>& range) {
        if (range && offset >= range->offset && offset - range->offset < range->length) {
            near.push_back({row, *range});
        }
    };
    for (const Piece& piece : pieces_) {
        if (!piece.run) {
            for (std::size_t j = 0; j < piece.rows; ++j) {
                add(piece.firstRow + j, ranges_[piece.firstHeld + j]);
            }
            continue;
        }
        // The one record whose place may hold the offset: the last that starts
        // at or before it, found among the places in file order.
        const rows::RecordRun& run = *piece.run;
        std::int32_t low = piece.firstRecord;
        // The last record the piece holds (a run the rows stopped in holds fewer).
        std::int32_t high = std::min<std::int32_t>(
            run.count, piece.firstRecord +
                           static_cast<std::int32_t>((piece.rows + run.rowsEach - 1) / run.rowsEach) - 1);
        if (high < low) continue;
        if (run.place(low).offset > offset) continue;
        while (low < high) {
            const std::int32_t middle = low + (high - low + 1) / 2;
            if (run.place(middle).offset <= offset) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        const rows::ByteRange place = run.place(low);
        if (offset - place.offset >= place.length) continue;
        const Made& made = MadeFor(piece, low);
        const std::size_t first = static_cast<std::size_t>(low - made.first) * run.rowsEach;
        const std::size_t firstRow =
            piece.firstRow + static_cast<std::size_t>(low - piece.firstRecord) * run.rowsEach;
        for (std::size_t j = 0; j < run.rowsEach; ++j) {
            add(firstRow + j, made.rows.RangeOf(first + j));
        }
    }
    return near;
}
