#include "ui/structure/byte_text_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "ui/structure/byte_lines_model.h"

void ByteTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const auto* lines = qobject_cast<const ByteLinesModel*>(index.model());
    if (lines == nullptr) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    // The cell's background, selection and focus frame as the style draws
    // them; the characters go over them here.
    cell.text.clear();
    const QWidget* view = cell.widget;
    const QStyle* style = view != nullptr ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);

    const std::vector<ByteLinesModel::CharLook> looks = lines->TextLooks(index.row());
    // Where the style puts a cell's text, less the margin it leaves inside.
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    area.adjust(margin, 0, -margin, 0);
    // One fixed advance for every character, whatever its face, so that the
    // characters stay in columns.
    const int advance = QFontMetrics(cell.font).horizontalAdvance(QLatin1Char('W'));
    const bool selected = cell.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group = !cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
                                       : cell.state.testFlag(QStyle::State_Active) ? QPalette::Active
                                                                                   : QPalette::Inactive;
    const QColor marked = ByteLinesModel::MarkedColour();
    painter->save();
    painter->setClipRect(cell.rect);
    const qsizetype count = std::min<qsizetype>(text.size(), static_cast<qsizetype>(looks.size()));
    for (qsizetype at = 0; at < count; ++at) {
        const ByteLinesModel::CharLook& look = looks[static_cast<std::size_t>(at)];
        const QRect box(area.left() + static_cast<int>(at) * advance, area.top(), advance, area.height());
        if (look.marked && !selected) painter->fillRect(box, marked);
        QFont font = cell.font;
        font.setItalic(look.italic);
        font.setBold(look.bold);
        painter->setFont(font);
        painter->setPen(selected ? cell.palette.color(group, QPalette::HighlightedText) : look.colour);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text.mid(at, 1));
    }
    painter->restore();
}
