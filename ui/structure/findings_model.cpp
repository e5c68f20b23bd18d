#include "ui/structure/findings_model.h"

#include <QApplication>
#include <QStringList>
#include <QStyle>

#include "text/display_text.h"

namespace {

QStyle::StandardPixmap IconOf(wavecheck::Level level) {
    switch (level) {
        case wavecheck::Level::Error:
            return QStyle::SP_MessageBoxCritical;
        case wavecheck::Level::Warning:
            return QStyle::SP_MessageBoxWarning;
        case wavecheck::Level::Note:
            break;
    }
    return QStyle::SP_MessageBoxInformation;
}

// Errors first when sorted by level, then warnings, then notes.
int Weight(wavecheck::Level level) {
    switch (level) {
        case wavecheck::Level::Error:
            return 0;
        case wavecheck::Level::Warning:
            return 1;
        case wavecheck::Level::Note:
            break;
    }
    return 2;
}

QString Text(std::string_view raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

}  // namespace

FindingsModel::FindingsModel(std::shared_ptr<const wavecheck::Findings> findings, QObject* parent)
    : QAbstractTableModel(parent), findings_(std::move(findings)) {}

void FindingsModel::SetOffsetBase(OffsetBase base) {
    if (base == base_) return;
    base_ = base;
    if (rowCount() > 0) emit dataChanged(index(0, OffsetColumn), index(rowCount() - 1, OffsetColumn));
}

const wavecheck::Finding* FindingsModel::FindingAt(int row) const {
    if (findings_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= findings_->shown.size())
        return nullptr;
    return &findings_->shown[static_cast<std::size_t>(row)];
}

QString FindingsModel::RowText(int row) const {
    QStringList cells;
    for (int column = 0; column < ColumnCount; ++column) cells << index(row, column).data().toString();
    return cells.join(QLatin1Char('\t'));
}

int FindingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || findings_ == nullptr ? 0 : static_cast<int>(findings_->shown.size());
}

int FindingsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FindingsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const wavecheck::Finding* finding = FindingAt(index.row());
    if (finding == nullptr) return {};
    const int column = index.column();
    if (role == Qt::DecorationRole && column == LevelColumn) {
        return QApplication::style()->standardIcon(IconOf(finding->level));
    }
    if (role == Qt::TextAlignmentRole && column == OffsetColumn) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    }
    if (role == SortRole) {
        if (column == LevelColumn) return Weight(finding->level);
        if (column == OffsetColumn) return QVariant::fromValue<qulonglong>(finding->offset);
        return data(index, Qt::DisplayRole);
    }
    if (role == Qt::ToolTipRole && column == MessageColumn) return Text(finding->message);
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case LevelColumn:
            return Text(wavecheck::LevelName(finding->level));
        case OffsetColumn:
            return OffsetText(finding->offset, base_);
        case ChunkColumn:
            return Text(finding->chunk);
        case CodeColumn:
            return Text(finding->code);
        case MessageColumn:
            return Text(finding->message);
        default:
            return {};
    }
}

QVariant FindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case LevelColumn:
            return tr("Level");
        case OffsetColumn:
            return tr("Offset");
        case ChunkColumn:
            return tr("Chunk");
        case CodeColumn:
            return tr("Code");
        case MessageColumn:
            return tr("Finding");
        default:
            return {};
    }
}
