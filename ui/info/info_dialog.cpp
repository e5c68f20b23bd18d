#include "ui/info/info_dialog.h"

#include <QKeyEvent>
#include <QMouseEvent>

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent) {}

void InfoDialog::closeOn(QWidget* part, Gesture gesture) {
    gestures_.insert(part, gesture);
    part->installEventFilter(this);
}

bool InfoDialog::eventFilter(QObject* watched, QEvent* event) {
    const auto found = gestures_.constFind(watched);
    if (found == gestures_.constEnd()) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            pressedPart_ = watched;
            return true;
        case QEvent::MouseButtonRelease: {
            const bool pressedHere = pressedPart_ == watched;
            pressedPart_ = nullptr;
            if (pressedHere &&
                completesGesture(static_cast<QWidget*>(watched), *found, *static_cast<QMouseEvent*>(event))) {
                close();
            }
            return true;
        }
        case QEvent::MouseButtonDblClick:
            if (*found == Gesture::DoubleClick &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                close();
            }
            return true;
        default:
            return QDialog::eventFilter(watched, event);
    }
}

bool InfoDialog::completesGesture(QWidget* part, Gesture gesture, const QMouseEvent& release) const {
    switch (gesture) {
        case Gesture::Release:
            return true;
        case Gesture::Click:
            // Releasing elsewhere after pressing on the part is not a click.
            return release.button() == Qt::LeftButton && part->rect().contains(release.position().toPoint());
        case Gesture::DoubleClick:
            return false;
    }
    return false;
}

void InfoDialog::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        keyPressed_ = true;
    }
    event->accept();
}

void InfoDialog::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (keyPressed_ && !event->isAutoRepeat()) {
        close();
    }
}
