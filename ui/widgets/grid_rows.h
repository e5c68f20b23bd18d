#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ui/detail/row_sink.h"

// The rows of one grid, held compactly: all their bytes in one buffer and
// where each row ends, so that hundreds of thousands of rows cost their bytes
// and eight more each, not an allocation each. Texts come cut at what a cell
// can show (kGridTextLimit), so a list of thousands of long texts stays small
// and only that much of each is read.
class GridRows : public RowSink {
public:
    static constexpr std::uint64_t kGridTextLimit = 1024;

    GridRows() = default;
    GridRows(std::initializer_list<std::string_view> rows);

    void ClearRows() override;
    void AppendRow(std::string_view row) override;
    std::uint64_t TextLimit() const override { return kGridTextLimit; }

    std::size_t Count() const { return ends_.size(); }
    // Row i as it was appended, TAB and cut mark included.
    std::string_view Row(std::size_t i) const;

private:
    std::string bytes_;
    std::vector<std::uint64_t> ends_;
};
