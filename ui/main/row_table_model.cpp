#include "ui/main/row_table_model.h"

#include <utility>

#include "ui/detail/display_text.h"
#include "ui/detail/row_sink.h"

RowTableModel::RowTableModel(QString firstHeader, QString secondHeader, QObject* parent)
    : QAbstractTableModel(parent), headers_{std::move(firstHeader), std::move(secondHeader)} {}

void RowTableModel::SetRows(std::vector<std::string> rows, std::vector<QString> toolTips) {
    beginResetModel();
    rows_ = std::move(rows);
    toolTips_ = std::move(toolTips);
    endResetModel();
}

std::string RowTableModel::RawCell(int row, int column) const { return std::string(Cell(row, column)); }

std::string_view RowTableModel::Cell(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || column < 0 || column >= kColumnCount) {
        return {};
    }
    const auto [label, value] = SplitRow(rows_[static_cast<std::size_t>(row)]);
    return column == 0 ? label : value;
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (role == Qt::ToolTipRole) {
        const auto row = static_cast<std::size_t>(index.row());
        return row < toolTips_.size() ? QVariant(toolTips_[row]) : QVariant();
    }
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(DisplayUtf8(Cell(index.row(), index.column())));
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    return headers_[section];
}
