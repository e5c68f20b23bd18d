#pragma once

#include <QDialog>
#include <QHash>

class QKeyEvent;
class QMouseEvent;

// Base of the Help and About windows: a window without controls that closes
// itself when the user makes one of the gestures its subclass chose, on the
// part of the window the subclass chose, and on nothing else.
//
// Every gesture must be seen whole inside this window: a key or mouse button
// that was already held when the window opened (say, the key that picked the
// menu item) does not close it when it is let go.
class InfoDialog : public QDialog {
    Q_OBJECT

public:
    enum class Gesture {
        Click,        // left button pressed and released over the part
        Release,      // any button released after a press on the part
        DoubleClick,  // left button double-clicked on the part
    };

protected:
    explicit InfoDialog(QWidget* parent);

    // Closes the window when `gesture` is made on `part` (this window or one
    // of its children). Mouse events on `part` stop there and never reach the
    // window behind it, so only the gesture named here acts on it.
    void closeOn(QWidget* part, Gesture gesture);

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Any key closes the window when it is let go. QDialog's own handling,
    // which would close on the press of Escape, is left out.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool completesGesture(QWidget* part, Gesture gesture, const QMouseEvent& release) const;

    QHash<QObject*, Gesture> gestures_;
    QObject* pressedPart_ = nullptr;
    bool keyPressed_ = false;
};
