// Times WaveDocument::Load on an ordinary 10-second file and on a sparse 3.5 GB
// one. Load never reads the audio, so both should cost about the same and the
// peak memory must not grow with the file's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/wav_builder.h"
#include "wavedoc/document/wave_document.h"

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint16_t kChannels = 2;
constexpr std::uint16_t kBits = 16;
constexpr std::uint64_t kTenSecondsOfAudio = 10ull * kRate * kChannels * (kBits / 8);
constexpr std::uint64_t kLargeAudio = 3'500'000'000ull;

// The header of a PCM file whose data chunk holds audioBytes.
std::string PcmHeader(std::uint64_t audioBytes) {
    const std::string fmt = wavtest::Chunk("fmt ", wavtest::PcmFormat(kChannels, kRate, kBits));
    const std::string dataHeader = "data" + wavtest::U32(static_cast<std::uint32_t>(audioBytes));
    const std::uint64_t riffSize = 4 + fmt.size() + dataHeader.size() + audioBytes;
    return "RIFF" + wavtest::U32(static_cast<std::uint32_t>(riffSize)) + "WAVE" + fmt + dataHeader;
}

// The two files, made once in a temporary directory that is removed at exit.
class BenchFiles {
public:
    BenchFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondulo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        dir_ = pattern;
        small_ = Write("small.wav", PcmHeader(kTenSecondsOfAudio) + std::string(kTenSecondsOfAudio, '\x11'));
        // Only the header is written; extending the file leaves a hole that
        // takes no disk space.
        large_ = Write("large.wav", PcmHeader(kLargeAudio));
        std::error_code error;
        std::filesystem::resize_file(large_, 44 + kLargeAudio, error);
        if (error) large_.clear();
    }
    ~BenchFiles() {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    const std::string& Small() const { return small_; }
    const std::string& Large() const { return large_; }

private:
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
    std::string small_;
    std::string large_;
};

const BenchFiles& Files() {
    static const BenchFiles files;
    return files;
}

long PeakRssKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void TimeLoad(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("the test file could not be made");
        return;
    }
    const long peakBefore = PeakRssKilobytes();
    for (auto _ : state) {
        wavedoc::WaveDocument document;
        const std::int16_t status = document.Load(path);
        if (status != wavedoc::LoadOk) {
            state.SkipWithError(document.LoadError().c_str());
            break;
        }
        benchmark::DoNotOptimize(document.Data().Size());
    }
    state.counters["peak_rss_kB"] = static_cast<double>(PeakRssKilobytes());
    state.counters["peak_rss_growth_kB"] = static_cast<double>(PeakRssKilobytes() - peakBefore);
}

void BM_LoadTenSecondStereo(benchmark::State& state) { TimeLoad(state, Files().Small()); }
void BM_LoadSparse3_5GB(benchmark::State& state) { TimeLoad(state, Files().Large()); }

BENCHMARK(BM_LoadTenSecondStereo);
BENCHMARK(BM_LoadSparse3_5GB);

}  // namespace

BENCHMARK_MAIN();
