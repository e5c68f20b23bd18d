#pragma once

#include <atomic>
#include <cstdint>

// What work running on another thread shares with the window watching it:
// the window sets `cancel` to stop it, and reads `done` (bytes written or
// searched so far) to show how far it has come. The work checks `cancel`
// between steps small enough that it stops at once.
struct JobControl {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
};
