#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "ui/structure/offset_text.h"
#include "wavecheck/findings.h"

// The findings of a file kept by the check, one row each: level (its word and
// the style's icon for it), offset, chunk, code and sentence. SortRole gives
// each cell a value that sorts as the column means: levels by weight,
// offsets as numbers.
class FindingsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LevelColumn, OffsetColumn, ChunkColumn, CodeColumn, MessageColumn, ColumnCount };
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit FindingsModel(std::shared_ptr<const wavecheck::Findings> findings, QObject* parent = nullptr);

    // The finding of a row of this model, or null.
    const wavecheck::Finding* FindingAt(int row) const;
    // A row's cells as shown, joined by TAB.
    QString RowText(int row) const;
    void SetOffsetBase(OffsetBase base);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const wavecheck::Findings> findings_;
    OffsetBase base_ = OffsetBase::Decimal;
};
