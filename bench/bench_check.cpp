// What the structure map and the check add to reporting real files: each run
// loads every WAV file of the test corpus (and of ../shared/corpus when it is
// there) and shows every listed chunk, as ondulo-dump --json does; the second
// benchmark also maps and checks each file. Their ratio is the cost of the map
// and the check.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/document/wave_document.h"

namespace {

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    const std::filesystem::path root = ONDULO_SOURCE_DIR;
    for (const auto& folder : {root / "tests" / "data" / "corpus", root / ".." / "shared" / "corpus"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".wav") files.push_back(entry.path().string());
        }
    }
    return files;
}

// Counts the rows instead of keeping them.
class RowCounter : public rows::RowSink {
public:
    void ClearRows() override {}
    void AppendRow(std::string_view) override { ++rows; }
    std::size_t rows = 0;
};

void ReportEveryFile(benchmark::State& state, bool mapAndCheck) {
    const std::vector<std::string> files = CorpusFiles();
    std::size_t findings = 0;
    for (auto _ : state) {
        RowCounter counter;
        for (const std::string& path : files) {
            wavedoc::WaveDocument document;
            wavecheck::FileCheck check;
            if (document.Load(path, mapAndCheck ? &check : nullptr) != wavedoc::LoadOk) continue;
            const wavedoc::ReadingSession reading(document.Source());
            if (mapAndCheck) findings += check.Finish(document).Total();
            for (const wavedoc::ChunkBase* chunk : rows::ListedChunks(document)) {
                benchmark::DoNotOptimize(rows::ShowChunkDetails(document, chunk->Name(), counter));
            }
        }
        benchmark::DoNotOptimize(counter.rows);
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["findings"] =
        benchmark::Counter(static_cast<double>(findings), benchmark::Counter::kAvgIterations);
}

void BM_ShowEveryChunk(benchmark::State& state) { ReportEveryFile(state, false); }
void BM_ShowMapAndCheck(benchmark::State& state) { ReportEveryFile(state, true); }

BENCHMARK(BM_ShowEveryChunk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowMapAndCheck)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
