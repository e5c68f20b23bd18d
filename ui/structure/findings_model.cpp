#include "ui/structure/findings_model.h"

#include <QApplication>
#include <QStringList>
#include <QStyle>
#include <algorithm>

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

void FindingsModel::AddMeasured(const wavecheck::Findings& measured) {
    if (findings_ == nullptr) return;
    auto merged = std::make_shared<wavecheck::Findings>(*findings_);
    std::size_t at = 0;
    for (const wavecheck::CodeCount& count : measured.counts) {
        const bool held =
            std::any_of(merged->counts.begin(), merged->counts.end(),
                        [&](const wavecheck::CodeCount& mine) { return mine.code == count.code; });
        const auto first = measured.shown.begin() + static_cast<std::ptrdiff_t>(at);
        at += count.shown;
        if (held) continue;
        merged->counts.push_back(count);
        for (auto finding = first; finding != first + static_cast<std::ptrdiff_t>(count.shown); ++finding) {
            merged->shown.push_back(*finding);
            ++(finding->level == wavecheck::Level::Error     ? merged->errors
               : finding->level == wavecheck::Level::Warning ? merged->warnings
                                                             : merged->notes);
        }
    }
    const int added = static_cast<int>(merged->shown.size() - findings_->shown.size());
    if (added == 0) return;
    beginInsertRows({}, rowCount(), rowCount() + added - 1);
    findings_ = std::move(merged);
    endInsertRows();
}

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
