#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wavedoc/reading/field.h"

namespace rows {

// Where the bytes a row shows lie in the file: the first byte's offset and
// how many there are. A heading's range is the record it heads.
struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// The range `length` bytes at `offset` within a range: a field within its
// record. Nothing when the record has no range.
std::optional<ByteRange> RangeWithin(const std::optional<ByteRange>& record, std::uint64_t offset,
                                     std::uint64_t length);
// The range of a field of a layout within its record.
std::optional<ByteRange> RangeWithin(const std::optional<ByteRange>& record, const wavedoc::Field& field);

class RowSink;

// A run of like records (cue points, sample loops, list entries), each shown
// as the same number of rows. A sink that makes rows as they are scrolled to
// keeps the run and asks for a record's rows only when they are shown; any
// other sink has them all made at once, in order.
struct RecordRun {
    // Records 1 to count, each of which can be shown whole.
    std::int32_t count = 0;
    // How many rows each record gives.
    std::size_t rowsEach = 0;
    // Appends the rows of records first to last, in order; raises as the
    // routine that made the run would (a file changed since, too little memory).
    std::function<void(std::int32_t first, std::int32_t last, RowSink& rows)> show;
    // Where a record lies in the file, known without reading it. Records lie
    // in file order, and every row of a record shows bytes within its place,
    // so a byte names its record without the rows being made.
    std::function<ByteRange(std::int32_t position)> place;
};

// The small grid interface that the chunk list and the detail routines write
// to. A row is one string; a grid splits it at its first TAB into two columns.
// A row may come with the range of bytes it shows (Range() while the row is
// appended); a sink that has no use for it ignores it, so what a row shows
// never depends on it.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void ClearRows() = 0;
    // The row is lent for the call: a sink keeps a copy if it keeps it.
    virtual void AppendRow(std::string_view row) = 0;
    // A value row, label TAB value, as AppendRow takes it; a sink that
    // writes the two cells apart may take them apart.
    virtual void AppendValue(std::string_view label, std::string_view value);
    // A value row whose value is the signed decimal text of `value`, as
    // AppendValue takes it; a sink that writes text may write the digits itself.
    virtual void AppendNumber(std::string_view label, std::int64_t value);
    // The most bytes of a text this grid shows; a longer one comes cut, with
    // its whole length (cut_text.h). Only that much of it is read.
    virtual std::uint64_t TextLimit() const;
    // Appends the rows of a run of records. This sink makes them all now; a
    // sink that shows rows as they are scrolled to keeps the run instead.
    virtual void AppendRun(const RecordRun& run);

    // The range of the row being appended, set by the Add...Row helpers for
    // the length of one append: nothing for a row made from no bytes.
    const std::optional<ByteRange>& Range() const { return range_; }
    void SetRange(const std::optional<ByteRange>& range) { range_ = range; }

private:
    std::optional<ByteRange> range_;
};

// Sets a sink's range for one append and clears it after, also when the
// append throws, so that no range outlives its row.
class RowRange {
public:
    RowRange(RowSink& sink, const std::optional<ByteRange>& range) : sink_(sink) { sink_.SetRange(range); }
    ~RowRange() { sink_.SetRange(std::nullopt); }
    RowRange(const RowRange&) = delete;
    RowRange& operator=(const RowRange&) = delete;

private:
    RowSink& sink_;
};

// Passes rows on to another sink and has every run made at once: for the
// rows of a document that does not outlive the call that shows it.
class EagerRows : public RowSink {
public:
    explicit EagerRows(RowSink& rows) : rows_(rows) {}
    void ClearRows() override { rows_.ClearRows(); }
    void AppendRow(std::string_view row) override {
        const RowRange range(rows_, Range());
        rows_.AppendRow(row);
    }
    void AppendValue(std::string_view label, std::string_view value) override {
        const RowRange range(rows_, Range());
        rows_.AppendValue(label, value);
    }
    void AppendNumber(std::string_view label, std::int64_t value) override {
        const RowRange range(rows_, Range());
        rows_.AppendNumber(label, value);
    }
    std::uint64_t TextLimit() const override { return rows_.TextLimit(); }

private:
    RowSink& rows_;
};

// Collects rows in memory: the window hands them to its grid model in one go,
// and the text output prints them.
// The range of each row is kept beside it.
class RowList : public RowSink {
public:
    void ClearRows() override {
        rows_.clear();
        ranges_.clear();
    }
    void AppendRow(std::string_view row) override {
        rows_.emplace_back(row);
        ranges_.push_back(Range());
    }
    const std::vector<std::string>& Rows() const { return rows_; }
    const std::vector<std::optional<ByteRange>>& Ranges() const { return ranges_; }
    std::vector<std::string> TakeRows() && { return std::move(rows_); }
    std::vector<std::optional<ByteRange>> TakeRanges() && { return std::move(ranges_); }

private:
    std::vector<std::string> rows_;
    std::vector<std::optional<ByteRange>> ranges_;
};

// A value row: label, one TAB, value; `at` is where the value's bytes lie.
void AddValueRow(RowSink& grid, std::string_view label, std::string_view value,
                 const std::optional<ByteRange>& at = std::nullopt);
// A heading row: text without TAB; the empty text makes a blank row. `at`
// is the record it heads.
void AddHeadingRow(RowSink& grid, std::string_view text, const std::optional<ByteRange>& at = std::nullopt);

// The two cells of a row: split at the first TAB only, so a TAB inside a value
// stays in the second cell.
std::pair<std::string_view, std::string_view> SplitRow(std::string_view row);

}  // namespace rows
