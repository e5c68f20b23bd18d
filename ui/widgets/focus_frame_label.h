#pragma once

#include <QLabel>

// A label that can take the focus and then shows it: the style's focus
// frame round its contents, as a button has, so a keyboard user sees where
// Return or Space will act.
class FocusFrameLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
