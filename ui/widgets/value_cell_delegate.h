#pragma once

#include <QStyledItemDelegate>

// Paints a grid's cells so that the marker of a text cut short stays whole
// however narrow the column: the text before it is elided instead. A cell
// whose text is cut or does not fit has a tool tip with the text as the grid
// holds it (bounded), and says when Ondulo cut it, which tells a cut text from
// one that merely reads like the marker.
class ValueCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
