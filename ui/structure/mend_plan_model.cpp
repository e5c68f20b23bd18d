#include "ui/structure/mend_plan_model.h"

#include "text/counted.h"
#include "text/display_text.h"

namespace {

QString Text(const std::string& raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString Grouped(std::uint64_t value) { return QString::fromStdString(text::GroupedThousands(value)); }

}  // namespace

MendPlanModel::MendPlanModel(const mend::Plan& plan, QObject* parent) : QAbstractTableModel(parent) {
    for (const mend::Change& change : plan.changes) {
        lines_.push_back({Text(change.code), {change.offset, change.length}, Text(change.sentence)});
    }
    for (const mend::LeftAlone& left : plan.leftAlone) {
        lines_.push_back({Text(left.code), {left.offset, 0}, tr("Left as it is: %1").arg(Text(left.reason))});
    }
    for (const mend::Dropped& dropped : plan.dropped) {
        lines_.push_back(
            {QString(), {dropped.offset, dropped.length}, tr("Not kept: %1").arg(Text(dropped.why))});
    }
}

int MendPlanModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int MendPlanModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant MendPlanModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
    const Line& line = lines_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
        case CodeColumn:
            return line.code;
        case BytesColumn:
            if (line.place.length == 0) return tr("offset %1").arg(Grouped(line.place.offset));
            return tr("%1 from offset %2")
                .arg(QString::fromStdString(text::GroupedCounted(line.place.length, "byte", "bytes")),
                     Grouped(line.place.offset));
        case SentenceColumn:
            return line.sentence;
        default:
            return {};
    }
}

QVariant MendPlanModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case CodeColumn:
            return tr("Finding");
        case BytesColumn:
            return tr("Bytes");
        case SentenceColumn:
            return tr("What the copy does");
        default:
            return {};
    }
}

MendPlanModel::Place MendPlanModel::PlaceOf(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    return lines_[static_cast<std::size_t>(row)].place;
}
