#pragma once

#include <QString>
#include <QTableView>

class QFocusEvent;
class QKeyEvent;

// The grid of the main window: whole-row single selection, read-only, uniform
// fixed row heights, the first column fitted to its content and the last one
// stretched. Ctrl+C and the context menu's "Copy" put the selected rows on the
// clipboard as TAB-separated text, one line per row.
//
// Tab leaves the grid for the next control instead of walking its cells, and
// coming in from the keyboard selects the current row (the first one, at
// first), so the selection, and what hangs on it, follows the keyboard focus.
class RowTableView : public QTableView {
    Q_OBJECT

public:
    explicit RowTableView(QWidget* parent = nullptr);

    // Fits the first column to the text of its header and of a bounded sample of
    // rows, so it stays cheap on very long lists. Call after the rows change.
    void FitFirstColumn();
    // The selected rows, top to bottom, cells joined by TAB, one line per row.
    QString SelectedRowsText() const;

public slots:
    void CopySelectedRows();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};
