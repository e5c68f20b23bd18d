#include "ui/widgets/elided_label.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "ui/widgets/one_line_text.h"

namespace {

// The width a label asks for: a few words, whatever it holds.
constexpr int kHintCharacters = 20;

}  // namespace

QSize ElidedLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * kHintCharacters + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const { return sizeHint(); }

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(OnOneLine(text()), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
