#include "ui/widgets/value_cell_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include "ui/widgets/one_line_text.h"
#include "ui/widgets/row_table_model.h"

namespace {

// The room the text of a cell has, as the style lays it out: its text
// rectangle less the margin the style keeps on either side of the text.
int TextWidth(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget != nullptr ? option.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget).width() - 2 * margin;
}

QString CutMarkerOf(const QModelIndex& index) { return index.data(RowTableModel::CutMarkerRole).toString(); }

}  // namespace

void ValueCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString marker = CutMarkerOf(index);
    const int room = std::max(TextWidth(cell) - cell.fontMetrics.horizontalAdvance(marker), 0);
    // A cell `room` pixels wide shows no more characters than that, so a
    // longer value is cut there before it is laid out: eliding a text of
    // kilobytes would shape every character of it at each paint.
    QString text = OnOneLine(cell.text.left(cell.text.size() - marker.size()));
    const bool longer = text.size() > room;
    if (longer) text.truncate(room);
    QString elided = cell.fontMetrics.elidedText(text, Qt::ElideRight, room);
    if (!marker.isEmpty()) {
        // The marker says the text goes on: no second ellipsis before it.
        if (elided != text && elided.endsWith(QChar(0x2026))) elided.chop(1);
    } else if (longer && elided == text) {
        elided += QChar(0x2026);
    }
    cell.text = elided + marker;
    cell.textElideMode = Qt::ElideNone;
    const QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
}

bool ValueCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.data(Qt::ToolTipRole).isNull()) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.fontMetrics.horizontalAdvance(cell.text) <= TextWidth(cell)) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), RowTableModel::WrappedToolTip(cell.text), view,
                       view->visualRect(index));
    return true;
}
