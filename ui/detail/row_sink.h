#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The small grid interface that the chunk list and the detail routines write
// to. A row is one string; a grid splits it at its first TAB into two columns.
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
};

// Collects rows in memory: the window hands them to its grid model in one go,
// and the text output prints them.
class RowList : public RowSink {
public:
    void ClearRows() override { rows_.clear(); }
    void AppendRow(std::string_view row) override { rows_.emplace_back(row); }
    const std::vector<std::string>& Rows() const { return rows_; }
    std::vector<std::string> TakeRows() && { return std::move(rows_); }

private:
    std::vector<std::string> rows_;
};

// A value row: label, one TAB, value.
void AddValueRow(RowSink& grid, std::string_view label, std::string_view value);
// A heading row: text without TAB; the empty text makes a blank row.
void AddHeadingRow(RowSink& grid, std::string_view text);

// The two cells of a row: split at the first TAB only, so a TAB inside a value
// stays in the second cell.
std::pair<std::string_view, std::string_view> SplitRow(std::string_view row);
