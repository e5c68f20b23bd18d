#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "ui/widgets/grid_rows.h"

// A two-column grid of raw row strings. Each row is split at its first TAB
// (label | value); a row without TAB fills only the first column. Cells are
// turned into display text only when the view asks for them, so setting a list
// of hundreds of thousands of rows is one reset and no conversion. A value cut
// short shows its marker after the text; CutMarkerRole gives the marker alone,
// so that a view can keep it whole when it elides the text, and its tool tip
// holds the text as the grid does and says that Ondulo cut it, which tells it
// from a text that merely reads like the marker.
class RowTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int CutMarkerRole = Qt::UserRole + 1;

    RowTableModel(QString firstHeader, QString secondHeader, QObject* parent = nullptr);

    // Replaces every row in one model reset; toolTips, when given, holds the
    // tool tip of each row, in the same order.
    void SetRows(GridRows rows, std::vector<QString> toolTips = {});
    // A tool tip that shows `text` wrapped, however long its lines.
    static QString WrappedToolTip(const QString& text);

    // The raw bytes of one cell, exactly as the row holds them.
    std::string RawCell(int row, int column) const;
    // The rows, with the bytes each shows.
    const GridRows& Rows() const { return rows_; }

    // As the base's; but the type-ahead's question (a cell that starts with
    // the keys typed), in a grid longer than kMostMatchedRows, looks at only
    // that many rows from `start` on: it would otherwise make every row of a
    // long run of records at each key that matches nothing.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                Qt::MatchWrap)) const override;
    static constexpr int kMostMatchedRows = 4096;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Rows of a run could not be made as they were scrolled to (the file
    // changed since, too little memory): the rows stop at the first record
    // that could not be made, and this says why.
    void RowsStopped(const QString& sentence);

private:
    static constexpr int kColumnCount = 2;

    // Empty for a row or column outside the grid.
    std::string_view Cell(int row, int column) const;

    QString headers_[kColumnCount];
    GridRows rows_;
    std::vector<QString> toolTips_;
};
