#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "collection_walk.h"

// A file the walk found, and its place in the order of the files.
struct Work {
    std::uint64_t index;
    WalkItem item;
};

// The files the walk found, handed to the reporting threads in order; never
// longer than the OrderedOutput's window.
class WorkQueue {
public:
    explicit WorkQueue(unsigned threads) : running_(threads) {}

    void Push(Work work) {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
        available_.notify_one();
    }
    // The next file, or nothing once the queue is closed and empty, or
    // stopped. Files are taken in order, so the files taken are always the
    // first ones.
    std::optional<Work> Pop() {
        std::unique_lock lock(mutex_);
        available_.wait(lock, [&] { return stopped_ || closed_ || !queue_.empty(); });
        if (stopped_ || queue_.empty()) return std::nullopt;
        Work work = std::move(queue_.front());
        queue_.pop_front();
        return work;
    }
    // No more files will come.
    void Close() {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        available_.notify_all();
    }
    // Hand out no more files: the threads finish the one they have.
    void Stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        available_.notify_all();
    }
    // A reporting thread is done.
    void Leave() {
        const std::lock_guard lock(mutex_);
        --running_;
        left_.notify_all();
    }
    // Whether every thread is done, having waited up to `most` for it.
    bool WaitForAllToLeave(std::chrono::milliseconds most) {
        std::unique_lock lock(mutex_);
        return left_.wait_for(lock, most, [&] { return running_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable available_;  // a file was pushed, or the queue closed or stopped
    std::condition_variable left_;       // a reporting thread is done
    std::deque<Work> queue_;
    unsigned running_;
    bool closed_ = false;
    bool stopped_ = false;
};
