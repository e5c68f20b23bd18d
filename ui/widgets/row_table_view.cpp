#include "ui/widgets/row_table_view.h"

#include <QAction>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStringList>
#include <algorithm>

#include "ui/widgets/value_cell_delegate.h"

namespace {

// How many rows the first column's width is measured on; the view samples the
// visible rows first, so a long list does not cost a pass over every row, and
// a selection lays out the text of a hundred names at most.
constexpr int kColumnFitSampleRows = 100;

}  // namespace

RowTableView::RowTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setAlternatingRowColors(true);
    setItemDelegate(new ValueCellDelegate(this));

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setResizeContentsPrecision(kColumnFitSampleRows);

    auto* copy = new QAction(tr("Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &RowTableView::CopySelectedRows);
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void RowTableView::FitFirstColumn() { resizeColumnToContents(0); }

QString RowTableView::SelectedRowsText() const {
    if (model() == nullptr || selectionModel() == nullptr) return {};
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int column = 0; column < model()->columnCount(); ++column) {
            cells << model()->index(row.row(), column).data().toString();
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

void RowTableView::CopySelectedRows() {
    const QString text = SelectedRowsText();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void RowTableView::keyPressEvent(QKeyEvent* event) {
    // Reached when the shortcut map did not take Ctrl+C (the window is not the
    // active one); the base class would copy only the current cell.
    if (event->matches(QKeySequence::Copy)) {
        CopySelectedRows();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RowTableView::focusInEvent(QFocusEvent* event) {
    // The base class makes the first row current when no row is, but selects
    // nothing; the first arrow key would then skip that row. A click selects
    // the row under the mouse by itself.
    QTableView::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason || selectionModel() == nullptr) return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && !selectionModel()->hasSelection()) {
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}
