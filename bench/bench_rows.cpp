// Time from selecting a chunk with 32767 entries to its rows being in the grid,
// and a scroll of that grid from top to bottom and back, on the offscreen
// platform unless another one is set.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QWindow>
#include <string>

#include "rows/chunk_details.h"
#include "support/wav_builder.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "wavedoc/document/wave_document.h"

using namespace wavtest;

namespace {

constexpr std::uint32_t kEntries = 32767;

std::string FileAround(const std::string& chunk) {
    return RiffFile(Chunk("fmt ", PcmFormat(2, 44100, 16)) + chunk + Chunk("data", std::string(4, '\0')));
}

std::string CueFile() {
    std::string payload = U32(kEntries);
    for (std::uint32_t i = 1; i <= kEntries; ++i) {
        payload += U32(i) + U32(i * 100) + "data" + U32(0) + U32(0) + U32(i * 100);
    }
    return FileAround(Chunk("cue ", payload));
}

std::string LabelFile() {
    std::string payload = "adtl";
    for (std::uint32_t i = 1; i <= kEntries; ++i) {
        payload += Chunk("labl", U32(i) + "Marker " + std::to_string(i) + '\0');
    }
    return FileAround(Chunk("LIST", payload));
}

// Lets the shown view lay out its rows and be exposed, as it is on screen.
void ShowAndSettle(RowTableView& view) {
    view.show();
    for (int round = 0; round < 100 && !(view.windowHandle() && view.windowHandle()->isExposed()); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

// What selecting a chunk row does: its rows into a list, the list into the
// model of a shown grid, the first column fitted.
void SelectChunk(benchmark::State& state, const std::string& file, const std::string& chunkName) {
    wavedoc::WaveDocument document;
    if (document.LoadFromMemory(file, "bench.wav") != wavedoc::LoadOk) {
        state.SkipWithError(document.LoadError().c_str());
        return;
    }
    RowTableModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
    RowTableView view;
    view.setModel(&model);
    view.resize(600, 400);
    ShowAndSettle(view);
    for (auto _ : state) {
        model.SetRows({});
        GridRows rows;
        rows::ShowChunkDetails(document, chunkName, rows);
        model.SetRows(std::move(rows));
        view.FitFirstColumn();
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK_CAPTURE(SelectChunk, cue_32767_points, CueFile(), std::string("cue "))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SelectChunk, list_32767_labels, LabelFile(), std::string("LIST"))
    ->Unit(benchmark::kMillisecond);

// One scroll to the last row and back to the first, each painted.
void ScrollToBottomAndBack(benchmark::State& state) {
    wavedoc::WaveDocument document;
    if (document.LoadFromMemory(CueFile(), "bench.wav") != wavedoc::LoadOk) {
        state.SkipWithError(document.LoadError().c_str());
        return;
    }
    GridRows rows;
    rows::ShowChunkDetails(document, "cue ", rows);
    RowTableModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
    model.SetRows(std::move(rows));
    RowTableView view;
    view.setModel(&model);
    view.resize(600, 400);
    ShowAndSettle(view);
    view.FitFirstColumn();
    if (view.verticalScrollBar()->maximum() == 0) {
        state.SkipWithError("the grid did not lay out its rows");
        return;
    }
    for (auto _ : state) {
        view.scrollToBottom();
        view.viewport()->repaint();
        benchmark::DoNotOptimize(view.verticalScrollBar()->value());
        view.scrollToTop();
        view.viewport()->repaint();
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(ScrollToBottomAndBack)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
