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
