#pragma once

#include <QStyledItemDelegate>

// Draws the text column of a ByteLinesModel character by character, each in
// its byte's colour and face and on the marked background when its byte is
// marked, as the hex cells show them; a selected line is drawn as the view
// draws any selected cell. Cells of other models are drawn as usual.
class ByteTextDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
