#pragma once

#include <QTableView>

class QFocusEvent;
class QKeyEvent;

// The bytes and findings grids of the structure window: read-only, uniform
// fixed row heights (so hundreds of millions of lines cost no more than a
// few), Tab leaving for the next pane, and coming in from the keyboard
// selecting the current cell, so the selection follows the focus. The copy
// key asks the window to copy, whether or not the shortcut map saw it first.
class StructureTableView : public QTableView {
    Q_OBJECT

public:
    explicit StructureTableView(QWidget* parent = nullptr);

signals:
    void CopyRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

// The bytes grid: a drag, or Shift with the arrows, selects the run of bytes
// from where it started to where it is, line after line as the bytes lie in
// the file, not the rectangle of cells between them; what is copied is what
// shows selected. Its column titles select nothing.
class ByteTableView : public StructureTableView {
    Q_OBJECT

public:
    explicit ByteTableView(QWidget* parent = nullptr);

protected:
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    // At either end of the lines a ByteLinesModel shows, moving on moves
    // its window of lines; Ctrl+Home and Ctrl+End go to the first and last
    // byte of the whole stretch.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    // Ctrl+Home and Ctrl+End select the byte they reach, as Home and End do;
    // the base class reads Ctrl as moving the keyboard focus alone.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};
