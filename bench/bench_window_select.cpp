// What the window costs for one file, from start to end of a process: builds
// frmMain offscreen, analyses PATH as the Analyse button does, then selects
// every row of the chunk grid in turn, letting each selection fill and paint
// the value grid. Prints one line per chunk (name, value rows, milliseconds
// the selection took until the grid was painted, status line) and then the
// total number of value rows seen. Meant to be measured from outside as a
// whole, e.g. by bench/hostile_costs.sh under /usr/bin/time; the one time it
// takes itself is each selection's.
//
//   build/default/bench/bench_window_select PATH
//
// Exit status: 0 when the file was analysed, 1 when the window refused it
// (its message goes to stderr), 2 for wrong usage.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <cstdio>
#include <memory>

#include "reporting_prompts.h"
#include "ui/main/frm_main.h"
#include "window_program.h"

int main(int argc, char** argv) {
    if (!TakeOnePathOffscreen(argc, argv)) return 2;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    auto owned = std::make_unique<ReportingPrompts>();
    const ReportingPrompts& prompts = *owned;
    frmMain window(std::move(owned));
    window.show();
    QApplication::processEvents();

    auto* path = window.findChild<QLineEdit*>(QStringLiteral("txtPatches"));
    auto* analyse = window.findChild<QPushButton*>(QStringLiteral("cbAnalize"));
    auto* chunks = window.findChild<QTableView*>(QStringLiteral("dbgChunk"));
    auto* values = window.findChild<QTableView*>(QStringLiteral("dbgValues"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("lbStatus"));
    if (path == nullptr || analyse == nullptr || chunks == nullptr || values == nullptr ||
        status == nullptr) {
        std::fprintf(stderr, "the window lacks a control this program drives\n");
        return 2;
    }

    path->setText(QString::fromLocal8Bit(argv[1]));
    analyse->click();
    QApplication::processEvents();
    if (prompts.Messages() > 0) return 1;

    long long valueRows = 0;
    const int chunkCount = chunks->model()->rowCount();
    for (int row = 0; row < chunkCount; ++row) {
        QElapsedTimer selection;
        selection.start();
        chunks->selectRow(row);
        QApplication::processEvents();
        const qint64 milliseconds = selection.elapsed();
        const int shown = values->model()->rowCount();
        valueRows += shown;
        std::printf("%s\t%d\t%lld\t%s\n", qUtf8Printable(chunks->model()->index(row, 0).data().toString()),
                    shown, static_cast<long long>(milliseconds), qUtf8Printable(status->text()));
    }
    std::printf("chunks %d, value rows %lld\n", chunkCount, valueRows);
    return 0;
}
