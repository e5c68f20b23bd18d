#include "ui/widgets/row_table_model.h"

#include <QLocale>
#include <utility>

#include "rows/row_sink.h"
#include "text/cut_text.h"
#include "text/display_text.h"
#include "text/escaped_text.h"

RowTableModel::RowTableModel(QString firstHeader, QString secondHeader, QObject* parent)
    : QAbstractTableModel(parent), headers_{std::move(firstHeader), std::move(secondHeader)} {}

void RowTableModel::SetRows(GridRows rows, std::vector<QString> toolTips) {
    beginResetModel();
    rows_ = std::move(rows);
    toolTips_ = std::move(toolTips);
    // Said, and the rows after the stop taken away, after the view has asked
    // for what it paints, never inside its asking.
    rows_.SetStopHandler([this](const std::string& sentence) {
        QMetaObject::invokeMethod(
            this,
            [this, text = QString::fromStdString(text::DisplayUtf8(sentence))] {
                const std::optional<std::size_t> stop = rows_.StoppedAt();
                if (stop && *stop < rows_.Count()) {
                    beginRemoveRows(QModelIndex(), static_cast<int>(*stop),
                                    static_cast<int>(rows_.Count() - 1));
                    rows_.DropStoppedRows();
                    endRemoveRows();
                }
                emit RowsStopped(text);
            },
            Qt::QueuedConnection);
    });
    endResetModel();
}

std::string RowTableModel::RawCell(int row, int column) const { return std::string(Cell(row, column)); }

std::string_view RowTableModel::Cell(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.Count() || column < 0 || column >= kColumnCount) {
        return {};
    }
    const auto [label, value] = rows::SplitRow(rows_.Row(static_cast<std::size_t>(row)));
    return column == 0 ? label : value;
}

QModelIndexList RowTableModel::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                     Qt::MatchFlags flags) const {
    const int rows = rowCount();
    // The type-ahead's question, in a long grid: a bounded stretch answers it.
    const bool typeAhead = (flags & Qt::MatchTypeMask) == Qt::MatchStartsWith;
    if (rows <= kMostMatchedRows || !start.isValid() || !typeAhead) {
        return QAbstractTableModel::match(start, role, value, hits, flags);
    }
    const QString wanted = value.toString();
    const Qt::CaseSensitivity cases =
        flags.testFlag(Qt::MatchCaseSensitive) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QModelIndexList found;
    for (int step = 0; step < kMostMatchedRows && (hits < 0 || found.size() < hits); ++step) {
        int row = start.row() + step;
        if (row >= rows) {
            if (!flags.testFlag(Qt::MatchWrap)) break;
            row -= rows;
        }
        const QModelIndex cell = index(row, start.column());
        if (cell.data(role).toString().startsWith(wanted, cases)) found << cell;
    }
    return found;
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.Count());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::ToolTipRole && row < toolTips_.size()) return toolTips_[row];
    const text::CutValue cut = text::SplitCut(Cell(index.row(), index.column()));
    if (role == Qt::ToolTipRole) {
        // A text shown as stored but not as it is (reversed by a direction
        // override, hiding a zero-width space) is spelled out in the tool tip.
        const bool hidden = text::HasHiddenCharacters(cut.shown);
        if (!cut.wholeLength && !hidden) return {};
        QString tip = WrappedToolTip(
            QString::fromStdString(hidden ? text::TerminalText(cut.shown) : text::DisplayUtf8(cut.shown)));
        if (hidden) {
            tip +=
                tr("<p><i>Characters that are invisible or change the display are written as \\uXXXX "
                   "and a backslash as \\u005c, as ondulo-dump prints them.</i></p>");
        }
        if (cut.wholeLength) {
            tip += tr("<p><i>Ondulo shows the start of this text; it holds %1 bytes in all.</i></p>")
                       .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(*cut.wholeLength)));
        }
        return tip;
    }
    const QString marker =
        cut.wholeLength ? QString::fromStdString(text::CutMarker(*cut.wholeLength)) : QString();
    if (role == CutMarkerRole) return marker;
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(text::DisplayUtf8(cut.shown)) + marker;
}

QString RowTableModel::WrappedToolTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(text.toHtmlEscaped());
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    return headers_[section];
}
