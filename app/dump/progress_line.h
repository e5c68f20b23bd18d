#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// How much audio the passes begun (hashing or measuring) have read, of how
// much they read in all.
struct AudioBytes {
    std::uint64_t read = 0;
    std::uint64_t total = 0;
};

// The same, counted by every thread of a run as they read.
struct AudioRead {
    std::atomic<std::uint64_t> read{0};
    std::atomic<std::uint64_t> total{0};
};

// The progress display of a run over many files, for a terminal:
// "ondulo-dump: 1200 done of 5000 files found so far, 240 files/s, 0:05" while
// the walk goes on, then "... of 5000 files, ...", and while audio is read
// to verify MD5 digests or to measure it, how much of how much is done
// (", 1,200 of 3,400 MB of audio read, 35 %").
std::string ProgressText(std::uint64_t done, std::uint64_t found, bool walking,
                         std::chrono::milliseconds elapsed, AudioBytes audio = {});

// When the display is due: a quarter of a second after the start, then at
// most four times a second, and only once more than one file is found or
// audio is being read.
class ProgressClock {
public:
    using Clock = std::chrono::steady_clock;
    explicit ProgressClock(Clock::time_point start) : start_(start), last_(start) {}

    // The line to show now, or nothing when it is not yet time.
    std::optional<std::string> Due(std::uint64_t done, std::uint64_t found, bool walking,
                                   Clock::time_point now, AudioBytes audio = {});

private:
    Clock::time_point start_;
    Clock::time_point last_;
};
