#pragma once
// The raised priority of a serial write, held for as long as the write
// lasts, so that the line drivers are released on time: a nice value, and a
// realtime class low enough (round robin, below the kernel's interrupt
// threads at 50) that a writer stuck in a loop cannot starve the machine.
// Without permission it changes nothing.
#include <sched.h>

class WritePriority {
public:
    static constexpr int kNice = -10;
    static constexpr int kPolicy = SCHED_RR;
    static constexpr int kRealtimePriority = 10;

    WritePriority();
    ~WritePriority();  // puts back what was raised
    WritePriority(const WritePriority&) = delete;
    WritePriority& operator=(const WritePriority&) = delete;

private:
    int oldNice_ = 0;
    bool niceRaised_ = false;
    int oldPolicy_ = SCHED_OTHER;
    sched_param oldParam_{};
    bool schedRaised_ = false;
};
