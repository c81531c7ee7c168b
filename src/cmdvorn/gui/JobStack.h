#pragma once
// The window's batch: the steps of a run plan on a stack, posted one at a
// time. The closing job goes in first so it comes out last, then the steps
// in reverse so they come out in the plan's order (the window's plan has
// the time-service step after the terminal commands).
#include "Session.h"
#include "zStack.h"

#include <vector>

class JobStack {
public:
    JobStack(int runMessage, int closeMessage) : runMessage_(runMessage), closeMessage_(closeMessage) {}

    void load(const RunPlan& plan);
    void push(const BatchJob& job) { stack_.push(job); }

    // The jobs to post now: the top one and, when that is not a run job,
    // every job left as well. Nothing when the stack is empty.
    std::vector<BatchJob> next();

    int count() const { return stack_.count(); }

private:
    int runMessage_;
    int closeMessage_;
    zStack<BatchJob> stack_;
};
