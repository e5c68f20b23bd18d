#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sound {

// Work that takes every decoded piece of the audio in order and keeps its
// own state from one to the next (the loudness meter, a true peak meter):
// each such lane takes the pieces one after another, and different lanes
// take the same piece at once, each on a thread of its own, while the
// caller decodes the next. Without threads, each lane takes the piece in
// turn on the caller's thread; the figures are the same either way.
class PieceLanes {
public:
    using Lane = std::function<void(const float* samples, std::size_t frames)>;

    PieceLanes(std::vector<Lane> lanes, bool threaded);
    // Waits for the piece in hand, then ends the threads.
    ~PieceLanes();
    PieceLanes(const PieceLanes&) = delete;
    PieceLanes& operator=(const PieceLanes&) = delete;

    // Gives every lane the piece. Threaded, it returns at once, and the
    // samples must stay as they are until Wait returns.
    void Give(const float* samples, std::size_t frames);
    // Waits until every lane has taken the piece last given; raises what a
    // lane raised.
    void Wait();

private:
    void Run(std::size_t lane);

    std::vector<Lane> lanes_;
    std::mutex mutex_;
    std::condition_variable given_;
    std::condition_variable taken_;
    const float* samples_ = nullptr;
    std::size_t frames_ = 0;
    std::uint64_t piece_ = 0;  // how many pieces were given
    std::size_t busy_ = 0;     // lanes still at the piece in hand
    bool ending_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

}  // namespace sound
