#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "mend/mend_plan.h"

// The lines of a mend's plan as a read-only table: each change with the
// finding it answers, then what is left as it is and why, then the bytes the
// copy does not keep. Each line knows the bytes of the file it concerns, so
// that selecting it can select them.
class MendPlanModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { CodeColumn, BytesColumn, SentenceColumn, ColumnCount };

    explicit MendPlanModel(const mend::Plan& plan, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The bytes a line concerns: its first byte and how many (0 for a line
    // about one place, such as a finding left alone).
    struct Place {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    Place PlaceOf(int row) const;

private:
    struct Line {
        QString code;
        Place place;
        QString sentence;
    };
    std::vector<Line> lines_;
};
