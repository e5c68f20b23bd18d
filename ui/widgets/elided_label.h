#pragma once

#include <QLabel>

// A label of one line, whatever its text holds: text() keeps the whole text,
// the label paints as much as fits and ends it with "…". It asks for no more
// width than a few words, so a long sentence can never widen the window.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
