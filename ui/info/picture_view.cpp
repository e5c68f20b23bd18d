#include "ui/info/picture_view.h"

#include <QPainter>

PictureView::PictureView(QSize size, PaintRoutine paint, QWidget* parent) : QWidget(parent), paint_(paint) {
    setFixedSize(size);
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint_(painter, QSizeF(size()));
}
