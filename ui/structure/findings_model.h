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

    // Adds at the end the findings of the sound measured after the check
    // (the sound view's: loudness-mismatch, peak-mismatch,
    // samples-not-finite), whose codes come last in the check's order;
    // codes already held are not added again.
    void AddMeasured(const wavecheck::Findings& measured);
    // The findings shown, with those of the sound once added.
    const wavecheck::Findings& Shown() const { return *findings_; }
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
