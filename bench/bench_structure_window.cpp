// What the structure window costs for one file, from start to end of a
// process: analyses PATH as the main window does (load and check), opens the
// structure window offscreen and lets it paint, selects every top-level entry
// of the tree in turn (each letting its rows and bytes paint), selects each
// field row of the largest entry (marking its bytes), paints the strip of
// the whole file, then scrolls the whole file's bytes from the first line to
// the last in 1,000 steps. Prints the milliseconds to the first paint, the
// slowest selection of an entry and of a field, the slowest strip paint and
// the scroll, and the resident memory before and after the scroll. Meant
// to be measured from outside as a whole too, e.g. by bench/hostile_costs.sh.
//
//   build/default/bench/bench_structure_window PATH
//
// Top-level entries only: a list's sub-chunks cost what its rows do, which
// bench_window_select measures.
//
// Exit status: 0 when the window opened, 1 when the file was refused, 2 for
// wrong usage.
#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "report/analysis.h"
#include "reporting_prompts.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/frm_structure.h"
#include "window_program.h"

namespace {

// The process's resident memory now, in KB (VmRSS).
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!TakeOnePathOffscreen(argc, argv)) return 2;
    QApplication app(argc, argv);
    ReportingPrompts prompts;

    const report::Analysis analysis = report::Analyse(argv[1]);
    if (!analysis.Loaded()) {
        std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    frmStructure window(analysis, prompts);
    window.show();
    QApplication::processEvents();
    const qint64 firstPaint = clock.elapsed();

    auto* tree = window.findChild<QTreeView*>(QStringLiteral("tvStructure"));
    auto* bytes = window.findChild<QTableView*>(QStringLiteral("tvBytes"));
    auto* lines = qobject_cast<ByteLinesModel*>(bytes->model());
    const QAbstractItemModel* entries = tree->model();
    qint64 slowest = 0;
    int largest = 0;
    std::uint64_t largestLength = 0;
    for (int row = 0; row < entries->rowCount(); ++row) {
        clock.restart();
        tree->setCurrentIndex(entries->index(row, 0));
        QApplication::processEvents();
        slowest = std::max(slowest, clock.elapsed());
        const auto marked = lines->Marked();
        const std::uint64_t length = marked ? marked->second - marked->first + 1 : 0;
        if (length > largestLength) {
            largest = row;
            largestLength = length;
        }
    }

    tree->setCurrentIndex(entries->index(largest, 0));
    QApplication::processEvents();
    // Each field row of the entry (at most 1,000) marks its bytes.
    auto* fields = window.findChild<QTableView*>(QStringLiteral("dbgStructureRows"));
    qint64 slowestField = 0;
    for (int row = 0; row < fields->model()->rowCount() && row < 1000; ++row) {
        clock.restart();
        fields->setCurrentIndex(fields->model()->index(row, 0));
        QApplication::processEvents();
        slowestField = std::max(slowestField, clock.elapsed());
    }
    auto* strip = window.findChild<FileStrip*>(QStringLiteral("fileStrip"));
    qint64 slowestStrip = 0;
    for (int paint = 0; paint < 10 && strip != nullptr; ++paint) {
        clock.restart();
        strip->repaint();
        slowestStrip = std::max(slowestStrip, clock.elapsed());
    }
    const long before = ResidentKb();
    clock.restart();
    // Through the model's window of lines, as Ctrl+G and the keys move it.
    for (std::uint64_t step = 0; step <= 1000 && lines->Length() > 0; ++step) {
        const std::uint64_t byte = (lines->Length() - 1) / 1000 * step;  // the whole file
        lines->Reveal(byte);
        bytes->scrollTo(lines->IndexOfByte(byte));
        QApplication::processEvents();
    }
    const qint64 scroll = clock.elapsed();
    const long after = ResidentKb();

    std::printf(
        "entries %d; first paint %lld ms; slowest selection %lld ms; slowest field marked %lld ms; "
        "strip painted %lld ms; scroll over %llu bytes %lld ms; resident %ld KB before the scroll, %ld KB "
        "after\n",
        entries->rowCount(), static_cast<long long>(firstPaint), static_cast<long long>(slowest),
        static_cast<long long>(slowestField), static_cast<long long>(slowestStrip),
        static_cast<unsigned long long>(lines->Length()), static_cast<long long>(scroll), before, after);
    return 0;
}
