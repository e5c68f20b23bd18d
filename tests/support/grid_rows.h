#pragma once

// Qt suites only.
#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QtGlobal>

// A grid's rows as the user reads them: the two cells joined by a TAB, as
// "label\tvalue"; a heading row reads "label\t".
inline QStringList GridRows(const QTableView& grid) {
    const QAbstractItemModel* model = grid.model();
    if (model == nullptr) qFatal("the grid %s has no model", qPrintable(grid.objectName()));
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        rows << model->index(row, 0).data().toString() + '\t' + model->index(row, 1).data().toString();
    }
    return rows;
}

// The rows of the grid named `grid` inside window.
inline QStringList GridRows(const QWidget& window, const QString& grid) {
    const auto* view = window.findChild<QTableView*>(grid);
    if (view == nullptr) qFatal("no grid named %s", qPrintable(grid));
    return GridRows(*view);
}
