#pragma once
// Waiting in milliseconds: a pause, and a deadline that tells how much of a
// wait is left. Both run on the monotonic clock, so setting the PC clock
// never stretches or cuts a wait.
#include <chrono>

namespace fnd {

// Nothing for 0 or less. A handled signal does not cut the pause short.
void sleepMs(long ms);

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    // ms from now; 0 or less: already passed.
    explicit Deadline(long ms) : at_(Clock::now() + std::chrono::milliseconds(ms > 0 ? ms : 0)) {}

    // Milliseconds left, 0 once passed: the form poll() takes.
    int msLeft() const;
    bool passed() const { return Clock::now() >= at_; }

private:
    Clock::time_point at_;
};

}  // namespace fnd
