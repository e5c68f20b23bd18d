#pragma once

#include <QSize>
#include <QSizeF>
#include <QWidget>

class QPainter;

// A fixed-size picture that is painted afresh on every paint event instead of
// being scaled from a bitmap, so it is sharp at any device pixel ratio.
class PictureView : public QWidget {
public:
    using PaintRoutine = void (*)(QPainter& painter, const QSizeF& size);

    PictureView(QSize size, PaintRoutine paint, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaintRoutine paint_;
};
