#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "report/analysis.h"
#include "sound/measure.h"

// Runs the measuring pass over a file in the background, one job at a time:
// first the whole file (loaded again, checked and measured, so the thread
// reads through its own source), then, as the view zooms, the overview of
// the frames shown. The window polls for progress and results, so nothing
// it shows waits for the file.
class SoundPass {
public:
    explicit SoundPass(std::string path);
    ~SoundPass();  // stops and waits for the job under way
    SoundPass(const SoundPass&) = delete;
    SoundPass& operator=(const SoundPass&) = delete;

    void Start();
    // The overview of frames [first, first + count) in `buckets`, once the
    // whole pass is done; replaces a refinement under way.
    void Refine(std::uint64_t first, std::uint64_t count, std::size_t buckets);
    void Cancel();

    bool Running() const { return running_; }
    // Bytes read of how many, of the whole pass.
    std::pair<std::uint64_t, std::uint64_t> Progress() const { return {done_, total_}; }

    // The whole pass's analysis (with its findings and measurement), once,
    // when it has ended.
    std::optional<report::Analysis> TakeWhole();
    std::optional<sound::Measurement> TakeRefined();

private:
    void Join();

    std::string path_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::mutex mutex_;
    std::optional<report::Analysis> whole_;
    std::optional<sound::Measurement> refined_;
    std::shared_ptr<const wavedoc::WaveDocument> document_;  // the pass's own, once it has ended
};
