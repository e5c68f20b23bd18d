#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rows/row_sink.h"

// A row and the bytes it shows, as a byte's search for its row sees it.
struct RangedRow {
    std::size_t row = 0;
    rows::ByteRange range;
};

// The rows of one grid. Rows appended one by one are held compactly: all
// their bytes in one buffer, where each ends and the range each shows, so
// that thousands of rows cost their bytes and a few more each, not an
// allocation each. A run of records is kept as the run: its rows are made a
// piece at a time as they are asked for, and only the last few pieces are
// kept, so that a list of 32767 entries costs what is on screen whatever its
// length. Texts come cut at what a cell can show (kGridTextLimit).
class GridRows : public rows::RowSink {
public:
    static constexpr std::uint64_t kGridTextLimit = 1024;
    // Told, once per piece, why the rows of a run could not be made (the
    // file changed since, too little memory); the rows stop there: those
    // made before the record that failed stay, the rest show empty until
    // DropStoppedRows takes them away.
    using StopHandler = std::function<void(const std::string& sentence)>;

    GridRows();
    GridRows(std::initializer_list<std::string_view> rows);
    GridRows(GridRows&&) noexcept;
    GridRows& operator=(GridRows&&) noexcept;
    ~GridRows() override;

    void ClearRows() override;
    void AppendRow(std::string_view row) override;
    void AppendRun(const rows::RecordRun& run) override;
    std::uint64_t TextLimit() const override { return kGridTextLimit; }

    void SetStopHandler(StopHandler handler);

    std::size_t Count() const { return count_; }
    // How many rows come before the first a run could not make, once one failed.
    std::optional<std::size_t> StoppedAt() const { return stoppedAt_; }
    // Takes away the rows from the one a run could not make on.
    void DropStoppedRows();
    // Row i as it was appended, TAB and cut mark included. The text stays
    // valid until the next row is asked for.
    std::string_view Row(std::size_t i) const;
    // The bytes row i shows; nothing for a row made from no bytes.
    std::optional<rows::ByteRange> RangeOf(std::size_t i) const;
    // Every row whose range holds `offset`, in order; of a run, only the
    // record whose place holds it is made.
    std::vector<RangedRow> RowsOverByte(std::uint64_t offset) const;

private:
    struct Piece;
    struct Made;

    // Where row i lies: the piece that holds it.
    const Piece& PieceOf(std::size_t i) const;
    // The made rows of the run piece `piece` that hold its record `record`.
    const Made& MadeFor(const Piece& piece, std::int32_t record) const;

    // Rows appended one by one.
    std::string bytes_;
    std::vector<std::uint64_t> ends_;
    std::vector<std::optional<rows::ByteRange>> ranges_;
    // The grid's rows in order: stretches of rows appended one by one and runs.
    std::vector<Piece> pieces_;
    std::size_t count_ = 0;
    // The pieces of runs made last, the newest at the back.
    mutable std::vector<std::unique_ptr<Made>> made_;
    mutable std::optional<std::size_t> stoppedAt_;
    StopHandler onStop_;
};
