#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// The progress display of a run over many files, for a terminal:
// "ondulo-dump: 1200 done of 5000 files found so far, 240 files/s, 0:05" while
// the walk goes on, then "... of 5000 files, ...", and while audio is read
// to verify MD5 digests or to measure it, how much of it is done (", 1,200 MB
// of audio read").
std::string ProgressText(std::uint64_t done, std::uint64_t found, bool walking,
                         std::chrono::milliseconds elapsed, std::uint64_t hashedBytes = 0);

// When the display is due: a quarter of a second after the start, then at
// most four times a second, and only once more than one file is found or
// audio is being hashed.
class ProgressClock {
public:
    using Clock = std::chrono::steady_clock;
    explicit ProgressClock(Clock::time_point start) : start_(start), last_(start) {}

    // The line to show now, or nothing when it is not yet time.
    std::optional<std::string> Due(std::uint64_t done, std::uint64_t found, bool walking,
                                   Clock::time_point now, std::uint64_t hashedBytes = 0);

private:
    Clock::time_point start_;
    Clock::time_point last_;
};
