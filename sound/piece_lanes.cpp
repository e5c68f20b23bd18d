#include "sound/piece_lanes.h"

namespace sound {

PieceLanes::PieceLanes(std::vector<Lane> lanes, bool threaded) : lanes_(std::move(lanes)) {
    if (!threaded || lanes_.size() < 2) return;
    try {
        for (std::size_t lane = 0; lane < lanes_.size(); ++lane)
            threads_.emplace_back([this, lane] { Run(lane); });
    } catch (...) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ending_ = true;
        }
        given_.notify_all();
        for (std::thread& thread : threads_) thread.join();
        throw;
    }
}

PieceLanes::~PieceLanes() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        taken_.wait(lock, [this] { return busy_ == 0; });
        ending_ = true;
    }
    given_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void PieceLanes::Give(const float* samples, std::size_t frames) {
    if (threads_.empty()) {
        for (const Lane& lane : lanes_) lane(samples, frames);
        return;
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        taken_.wait(lock, [this] { return busy_ == 0; });
        samples_ = samples;
        frames_ = frames;
        busy_ = lanes_.size();
        ++piece_;
    }
    given_.notify_all();
}

void PieceLanes::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    taken_.wait(lock, [this] { return busy_ == 0; });
    if (failure_) std::rethrow_exception(failure_);
}

void PieceLanes::Run(std::size_t lane) {
    std::uint64_t taken = 0;
    for (;;) {
        const float* samples = nullptr;
        std::size_t frames = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            given_.wait(lock, [&] { return ending_ || piece_ != taken; });
            if (piece_ == taken) return;  // ending, with no piece in hand
            taken = piece_;
            samples = samples_;
            frames = frames_;
            if (failure_) frames = 0;  // another lane failed: the pass ends
        }
        std::exception_ptr failure;
        try {
            if (frames > 0) lanes_[lane](samples, frames);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (failure && !failure_) failure_ = failure;
            --busy_;
        }
        taken_.notify_all();
    }
}

}  // namespace sound
