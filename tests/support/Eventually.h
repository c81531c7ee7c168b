#pragma once
// Waits for what another thread or process does in its own time: true as
// soon as check() holds, false when it still does not after the time-out.
// The time-out only bounds a failing test; a passing one waits no longer
// than it must, however loaded the machine.
#include <chrono>
#include <thread>

template <class Check>
bool eventually(Check check, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!check()) {
        if (std::chrono::steady_clock::now() >= end) return check();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
