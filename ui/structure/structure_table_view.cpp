#include "ui/structure/structure_table_view.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>
#include <optional>

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

QModelIndex ByteTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    auto* lines = qobject_cast<ByteLinesModel*>(model());
    const QModelIndex current = currentIndex();
    if (lines == nullptr || !current.isValid() || lines->Length() == 0) {
        return StructureTableView::moveCursor(cursorAction, modifiers);
    }
    const std::uint64_t byte = lines->FirstByteOf(current.row(), current.column());
    const std::uint64_t lastLine = lines->TotalLines() - 1;
    const std::uint64_t line = byte / ByteLinesModel::kBytesPerLine;
    const auto page =
        static_cast<std::uint64_t>(std::max(1, viewport()->height() / std::max(1, rowHeight(0))));
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    std::optional<std::uint64_t> target;
    if (ctrl && cursorAction == MoveHome) target = 0;
    if (ctrl && cursorAction == MoveEnd) target = lines->Length() - 1;
    if (current.row() == 0 && line > 0) {
        if (cursorAction == MoveUp) target = byte - ByteLinesModel::kBytesPerLine;
        if (cursorAction == MovePageUp) target = byte - std::min(line, page) * ByteLinesModel::kBytesPerLine;
    }
    if (current.row() == lines->rowCount() - 1 && line < lastLine) {
        if (cursorAction == MoveDown) target = byte + ByteLinesModel::kBytesPerLine;
        if (cursorAction == MovePageDown)
            target = byte + std::min(lastLine - line, page) * ByteLinesModel::kBytesPerLine;
    }
    if (!target) return StructureTableView::moveCursor(cursorAction, modifiers);
    const std::uint64_t at = std::min(*target, lines->Length() - 1);
    if (lines->Reveal(at)) {
        // The window moved and the model was reset: the view has no current
        // cell to move from, so the move's selection is made here.
        selectionModel()->setCurrentIndex(lines->IndexOfByte(at), QItemSelectionModel::ClearAndSelect);
    }
    return lines->IndexOfByte(at);
}

QItemSelectionModel::SelectionFlags ByteTableView::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    if (event != nullptr && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool toEnd = key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
        if (toEnd && key->modifiers() == Qt::ControlModifier) return QItemSelectionModel::ClearAndSelect;
    }
    return StructureTableView::selectionCommand(index, event);
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
