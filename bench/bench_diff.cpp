// The diff of two large files that differ only in their metadata (an INFO
// list after the audio): 1 GB of 16-bit stereo audio each unless
// ONDULO_BENCH_DIFF_MB says otherwise, written once to the temporary folder
// and kept. Set against reading the two audio chunks alone, in pieces of the
// same size: the diff should cost about what that costs, reading each file's
// audio once. Bytes per second count both files' audio; every benchmark
// reports the process's peak memory, which must stay under 64 MB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "diff/diff.h"

namespace {

std::string Le32(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
            static_cast<char>(v >> 24)};
}

std::uint64_t AudioBytes() {
    const char* given = std::getenv("ONDULO_BENCH_DIFF_MB");
    return (given != nullptr ? std::strtoull(given, nullptr, 10) : 1024) << 20;
}

constexpr std::uint64_t kHeader = 44;

// The file: fmt, the audio, then an INFO list naming the take.
std::string WriteFile(const std::string& name, const std::string& title) {
    const std::uint64_t bytes = AudioBytes();
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    const std::string item = "INAM" + Le32(static_cast<std::uint32_t>(title.size() + 1)) + title + '\0';
    const std::string info = "LIST" + Le32(static_cast<std::uint32_t>(4 + item.size())) + "INFO" + item;
    std::error_code error;
    if (std::filesystem::file_size(path, error) == kHeader + bytes + info.size()) return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string fmt = std::string("\x01\x00\x02\x00", 4) + Le32(48000) + Le32(48000 * 4) +
                            std::string("\x04\x00\x10\x00", 4);
    out << "RIFF" << Le32(static_cast<std::uint32_t>(36 + bytes + info.size())) << "WAVEfmt " << Le32(16)
        << fmt << "data" << Le32(static_cast<std::uint32_t>(bytes));
    std::string block(1 << 20, '\0');
    std::uint32_t noise = 12345;
    for (std::uint64_t written = 0; written < bytes; written += block.size()) {
        for (char& byte : block) {
            noise = noise * 1664525U + 1013904223U;
            byte = static_cast<char>(noise >> 24);
        }
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), bytes - written)));
    }
    out << info;
    return path;
}

const std::string& FileA() {
    static const std::string path =
        WriteFile("ondulo-bench-diff-a-" + std::to_string(AudioBytes() >> 20) + "mb.wav", "Take 1");
    return path;
}
const std::string& FileB() {
    static const std::string path =
        WriteFile("ondulo-bench-diff-b-" + std::to_string(AudioBytes() >> 20) + "mb.wav", "Take 2");
    return path;
}

double PeakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Diff(benchmark::State& state) {
    for (auto _ : state) {
        const diff::Diff result = diff::CompareFiles(FileA(), FileB());
        if (result.audio.verdict != diff::AudioVerdict::Identical || result.ChangedEntries() == 0) {
            state.SkipWithError("the two files should differ in their INFO list alone");
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * AudioBytes()));
    state.counters["peak_rss_mb"] = PeakMegabytes();
}

// Both audio chunks read in pieces of a megabyte each, compared with nothing.
void ReadBothAudio(benchmark::State& state) {
    std::vector<char> piece(1 << 20);
    for (auto _ : state) {
        for (const std::string* path : {&FileA(), &FileB()}) {
            const int descriptor = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
            for (std::uint64_t at = kHeader; at < kHeader + AudioBytes(); at += piece.size()) {
                benchmark::DoNotOptimize(
                    ::pread(descriptor, piece.data(), piece.size(), static_cast<off_t>(at)));
            }
            ::close(descriptor);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * AudioBytes()));
    state.counters["peak_rss_mb"] = PeakMegabytes();
}

BENCHMARK(ReadBothAudio)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Diff)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
