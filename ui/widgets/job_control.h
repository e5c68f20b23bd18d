#pragma once

#include <atomic>
#include <cstdint>

// What work running on another thread shares with the window watching it:
// the window sets `cancel` to stop it, and reads `done` (bytes written,
// searched or measured so far) of `total` to show how far it has come. The
// work checks `cancel` between steps small enough that it stops at once,
// and sets `total` when it learns it only as it goes.
struct JobControl {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};  // 0 while not known
};
