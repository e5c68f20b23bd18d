// Memory of loading and showing files whose counts claim far more records
// than they hold: the cost must follow the bytes present, never the counts.
// Each case runs Load and ShowChunkDetails in a child process of its own and
// reports how far that run raised the peak resident size (getrusage), so one
// case's peak cannot hide the next. Counters: file_kb, peak_rss_growth_kb.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rows/chunk_details.h"
#include "support/wav_builder.h"
#include "wavedoc/document/wave_document.h"

namespace {

using namespace wavtest;

const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));

// Two billion cue points and 0x7FFFFFFF sample loops claimed, 100 of each
// held; `audioBytes` of samples after them.
std::string ClaimingFile(std::size_t audioBytes) {
    const std::vector<CuePointRecord> points(100, CuePointRecord{1, 0});
    const std::vector<SampleLoopRecord> loops(100, SampleLoopRecord{1, 0, 0, 10});
    return RiffFile(kFmt + Chunk("cue ", CuePayload(points, 2'000'000'000)) +
                    Chunk("smpl", SmplPayload({}, loops, {}, 0x7FFFFFFF)) +
                    Chunk("data", std::string(audioBytes, '\0')));
}

// The densest list a file can hold: labels of four bytes each.
std::string TinyLabelsFile(int labels) {
    std::string subChunks;
    for (int i = 0; i < labels; ++i) subChunks += Chunk("labl", U32(1));
    return RiffFile(kFmt + Chunk("LIST", ListPayload("adtl", subChunks)));
}

std::string WriteTemporary(const std::string& bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("ondulo-memory-" + std::to_string(::getpid()) + ".wav"))
            .string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Kilobytes by which loading `path` and showing every chunk raised the peak
// resident size of a fresh child process; -1 when the child failed.
long PeakGrowthKb(const std::string& path) {
    int channel[2];
    if (::pipe(channel) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        {
            wavedoc::WaveDocument document;
            if (document.Load(path) != wavedoc::LoadOk) ::_exit(1);
            document.Data().SetData("");
            rows::RowList values;
            for (const char* chunk : {"fmt ", "cue ", "smpl", "LIST", "data"}) {
                rows::ShowChunkDetails(document, chunk, values);
            }
        }
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        const bool written = ::write(channel[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    long growth = -1;
    if (::read(channel[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

void ReportPeak(benchmark::State& state, const std::string& bytes) {
    const std::string path = WriteTemporary(bytes);
    long growth = -1;
    for (auto _ : state) growth = PeakGrowthKb(path);
    std::filesystem::remove(path);
    if (growth < 0) state.SkipWithError("the child process failed");
    state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["peak_rss_growth_kb"] = static_cast<double>(growth);
}

void BM_CountsClaimingTwoBillion(benchmark::State& state) {
    ReportPeak(state, ClaimingFile(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_CountsClaimingTwoBillion)->Arg(0)->Arg(64 << 20)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TinyLabels(benchmark::State& state) {
    ReportPeak(state, TinyLabelsFile(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_TinyLabels)->Arg(100'000)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
