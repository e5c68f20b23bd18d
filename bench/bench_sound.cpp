// The measuring pass over a large 16-bit stereo PCM file in the page cache
// (1 GB unless ONDULO_BENCH_SOUND_MB says otherwise; written once to the
// temporary folder and kept): the overview alone, the overview with
// loudness, and libebur128 alone fed the same frames already decoded, with
// the same measurements asked and the same polling every 100 ms. Bytes per
// second are of CPU time. The last benchmark measures a sparse file whose
// data chunk claims 4 GB, and every one reports the process's peak memory.
#include <benchmark/benchmark.h>
#include <ebur128.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "sound/measure.h"
#include "sound/sample_decoder.h"
#include "wavedoc/document/wave_document.h"

namespace {

constexpr std::uint32_t kRate = 48000;
constexpr unsigned kChannels = 2;

std::string Le32(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
            static_cast<char>(v >> 24)};
}

std::string Header(std::uint32_t dataBytes) {
    const std::string fmt = std::string("\x01\x00\x02\x00", 4) + Le32(kRate) + Le32(kRate * 4) +
                            std::string("\x04\x00\x10\x00", 4);
    return "RIFF" + Le32(dataBytes + 36) + "WAVEfmt " + Le32(16) + fmt + "data" + Le32(dataBytes);
}

std::uint64_t Megabytes() {
    const char* given = std::getenv("ONDULO_BENCH_SOUND_MB");
    return given != nullptr ? std::strtoull(given, nullptr, 10) : 1024;
}

// A file of music-like noise: two sines and a little pseudo-random noise.
const std::string& LargeFile() {
    static const std::string path = [] {
        const std::uint64_t bytes = Megabytes() << 20;
        const std::string name = (std::filesystem::temp_directory_path() /
                                  ("ondulo-bench-sound-" + std::to_string(Megabytes()) + "mb.wav"))
                                     .string();
        std::error_code error;
        if (std::filesystem::file_size(name, error) == bytes + 44) return name;
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << Header(static_cast<std::uint32_t>(bytes));
        std::vector<std::int16_t> block(1 << 20);
        std::uint32_t noise = 12345;
        for (std::uint64_t written = 0; written < bytes; written += block.size() * 2) {
            for (std::size_t i = 0; i < block.size(); i += 2) {
                const double t = static_cast<double>(written / 4 + i / 2) / kRate;
                noise = noise * 1664525 + 1013904223;
                const double value = 0.3 * std::sin(2 * std::numbers::pi * 220 * t) +
                                     0.2 * std::sin(2 * std::numbers::pi * 3150 * t) +
                                     0.05 * (static_cast<double>(noise >> 16) / 32768.0 - 1);
                block[i] = static_cast<std::int16_t>(value * 32767);
                block[i + 1] = static_cast<std::int16_t>(value * 0.7 * 32767);
            }
            out.write(
                reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(std::min<std::uint64_t>(block.size() * 2, bytes - written)));
        }
        return name;
    }();
    return path;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Pass(benchmark::State& state, bool loudness) {
    wavedoc::WaveDocument document;
    if (document.Load(LargeFile()) != wavedoc::LoadOk) state.SkipWithError("the file could not be loaded");
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        sound::MeasureOptions options;
        options.loudness = loudness;
        const sound::Measurement measured = sound::Measure(document, options);
        bytes += measured.framesRead * 4;
        benchmark::DoNotOptimize(measured.channels.front().peak);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["peak_rss_mb"] = PeakMegabytes();
}

void Overview(benchmark::State& state) { Pass(state, false); }
void OverviewAndLoudness(benchmark::State& state) { Pass(state, true); }

// libebur128 on its own: one piece decoded once, fed as many times as the
// file holds pieces, asked for the momentary and short-term loudness every
// 100 ms, as the pass does.
void LibEbur128Alone(benchmark::State& state) {
    const std::uint64_t bytes = Megabytes() << 20;
    constexpr std::size_t kPieceFrames = (1 << 20) / 4;
    std::vector<float> piece(kPieceFrames * kChannels);
    for (std::size_t i = 0; i < piece.size(); ++i) {
        piece[i] = static_cast<float>(
            0.3 * std::sin(2 * std::numbers::pi * 220 * static_cast<double>(i / 2) / kRate));
    }
    const std::uint64_t pieces = bytes / (kPieceFrames * 4);
    for (auto _ : state) {
        ebur128_state* meter = ebur128_init(
            kChannels, kRate,
            EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_M | EBUR128_MODE_S);
        std::size_t untilPoll = kRate / 10;
        double highest = -HUGE_VAL;
        for (std::uint64_t p = 0; p < pieces; ++p) {
            std::size_t done = 0;
            while (done < kPieceFrames) {
                const std::size_t now = std::min(kPieceFrames - done, untilPoll);
                ebur128_add_frames_float(meter, piece.data() + done * kChannels, now);
                done += now;
                untilPoll -= now;
                if (untilPoll > 0) continue;
                untilPoll = kRate / 10;
                double value = 0;
                ebur128_loudness_momentary(meter, &value);
                highest = std::max(highest, value);
                ebur128_loudness_shortterm(meter, &value);
                highest = std::max(highest, value);
            }
        }
        double integrated = 0;
        ebur128_loudness_global(meter, &integrated);
        benchmark::DoNotOptimize(integrated + highest);
        ebur128_destroy(&meter);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(pieces * kPieceFrames * 4 * state.iterations()));
}

// A data chunk that claims 4 GB of a sparse file: memory stays bounded
// however long the audio is.
void SparseFourGigabytes(benchmark::State& state) {
    const std::string name =
        (std::filesystem::temp_directory_path() / "ondulo-bench-sound-sparse.wav").string();
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << Header(0xFFFFFFF0U - 36);
    }
    std::filesystem::resize_file(name, 0xFFFFFFF0U + 8);
    wavedoc::WaveDocument document;
    if (document.Load(name) != wavedoc::LoadOk) state.SkipWithError("the file could not be loaded");
    // The overview alone: loudness of 4 GB of silence would only time libebur128 again.
    sound::MeasureOptions options;
    options.loudness = false;
    for (auto _ : state) {
        const sound::Measurement measured = sound::Measure(document, options);
        benchmark::DoNotOptimize(measured.framesRead);
    }
    state.counters["peak_rss_mb"] = PeakMegabytes();
    std::filesystem::remove(name);
}

}  // namespace

BENCHMARK(Overview)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(OverviewAndLoudness)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(LibEbur128Alone)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SparseFourGigabytes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
