#include "ui/structure/structure_table_view.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>

#include "ui/structure/byte_lines_model.h"

StructureTableView::StructureTableView(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
}

void StructureTableView::keyPressEvent(QKeyEvent* event) {
    // The base class would copy the current cell alone.
    if (event->matches(QKeySequence::Copy)) {
        emit CopyRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void StructureTableView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason || selectionModel() == nullptr) return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && !selectionModel()->hasSelection()) {
        const auto rows =
            selectionBehavior() == SelectRows ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | rows);
    }
}

ByteTableView::ByteTableView(QWidget* parent) : StructureTableView(parent) {
    horizontalHeader()->setSectionsClickable(false);
}

void ByteTableView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    // The views build the rectangle from where the selection started (its
    // first corner) to where it is now (the opposite one).
    const auto* lines = qobject_cast<const ByteLinesModel*>(model());
    if (lines == nullptr || selectionModel() == nullptr) {
        StructureTableView::setSelection(rect, command);
        return;
    }
    const QModelIndex from = indexAt(rect.topLeft());
    const QModelIndex to = indexAt(rect.bottomRight());
    if (!from.isValid() || !to.isValid()) return;
    selectionModel()->select(lines->Run(from, to), command);
}
